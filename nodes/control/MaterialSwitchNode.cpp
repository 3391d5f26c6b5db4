#include "nodes/control/MaterialSwitchNode.h"

#include "host/Material.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/control/SwitchInput.h"

MaterialSwitchNode::MaterialSwitchNode() {
    m_attributes.emplace_back(new Attribute(this, 0, "index", 1.0, 1.0, 1000.0, 1.0, 0));
    m_inplug_declarations.push_back({0, Value::Material, "material", 0, 1});
    m_outplug_declarations.push_back({0, Value::Material, "material", 0});
    UpdateInplugsAndOutplugs();
}

MaterialSwitchNode::~MaterialSwitchNode() = default;

NodeType MaterialSwitchNode::GetNodeType() const {
    return ProjectNodeTypes::kMaterialSwitchType;
}

std::string MaterialSwitchNode::GetTypeName() const {
    return ProjectNodeTypes::kMaterialSwitchName;
}

bool MaterialSwitchNode::OnProcessEvent(NodeEvent event) {
    if (event.m_type == kEventReleaseImages) {
        m_material = nullptr;
    }
    return true;
}

void MaterialSwitchNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_material = nullptr;
    if (!m_active) {
        return;
    }
    const Value* chosen = SwitchInput::Find(*this, inplug_values, Value::Material);
    if (chosen && chosen->m_material) {
        m_material = new Material(*chosen->m_material);
    }
}

Material* MaterialSwitchNode::GetMaterialValue(uint32_t outplug) {
    return outplug == 0 ? m_material.Get() : nullptr;
}
