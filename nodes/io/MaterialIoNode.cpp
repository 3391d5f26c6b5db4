#include "nodes/io/MaterialIoNode.h"

#include "library/ProjectNodeTypes.h"

MaterialIoNode::MaterialIoNode() : IoNode(Value::Material, "material", "replace") {}

NodeType MaterialIoNode::GetNodeType() const {
    return ProjectNodeTypes::kMaterialIoType;
}

std::string MaterialIoNode::GetTypeName() const {
    return ProjectNodeTypes::kMaterialIoName;
}

bool MaterialIoNode::OnProcessEvent(NodeEvent) {
    return true;
}

void MaterialIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_material = nullptr;
    if (const Value* value = InputValue(inplug_values)) {
        m_material = value->m_material;
    }
}

Material* MaterialIoNode::GetMaterialValue(uint32_t) {
    return m_material;
}
