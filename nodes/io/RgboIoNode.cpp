#include "nodes/io/RgboIoNode.h"

#include "library/ProjectNodeTypes.h"

RgboIoNode::RgboIoNode() : IoNode(Value::Rgbo, "color", "replace,comp_over,average") {}

NodeType RgboIoNode::GetNodeType() const {
    return ProjectNodeTypes::kRgboIoType;
}

std::string RgboIoNode::GetTypeName() const {
    return ProjectNodeTypes::kRgboIoName;
}

void RgboIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_rgbo = {};
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_rgbo = value->m_rgbo;
    }
}

Rgbo RgboIoNode::GetRgboValue(uint32_t) {
    return m_rgbo;
}
