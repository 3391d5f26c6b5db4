#include "nodes/io/PointIoNode.h"

#include "library/ProjectNodeTypes.h"

PointIoNode::PointIoNode() : IoNode(Value::Point, "point", "replace,summation,average") {}

NodeType PointIoNode::GetNodeType() const {
    return ProjectNodeTypes::kPointIoType;
}

std::string PointIoNode::GetTypeName() const {
    return ProjectNodeTypes::kPointIoName;
}

void PointIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_point = {};
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_point = value->m_point;
    }
}

Point PointIoNode::GetPointValue(uint32_t) {
    return m_point;
}
