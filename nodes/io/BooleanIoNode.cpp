#include "nodes/io/BooleanIoNode.h"

#include "library/ProjectNodeTypes.h"

BooleanIoNode::BooleanIoNode() : IoNode(Value::Boolean, "bool", nullptr) {}

NodeType BooleanIoNode::GetNodeType() const {
    return ProjectNodeTypes::kBooleanIoType;
}

std::string BooleanIoNode::GetTypeName() const {
    return ProjectNodeTypes::kBooleanIoName;
}

void BooleanIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_boolean = {};
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_boolean = value->m_boolean;
    }
}

bool BooleanIoNode::GetBooleanValue(uint32_t) {
    return m_boolean;
}
