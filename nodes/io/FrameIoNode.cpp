#include "nodes/io/FrameIoNode.h"

#include "library/ProjectNodeTypes.h"

FrameIoNode::FrameIoNode() : IoNode(Value::Frame, "frame", "replace,comp_over") {}

NodeType FrameIoNode::GetNodeType() const {
    return ProjectNodeTypes::kFrameIoType;
}

std::string FrameIoNode::GetTypeName() const {
    return ProjectNodeTypes::kFrameIoName;
}

void FrameIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_frame = {};
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_frame = value->m_frame;
    }
}

Frame FrameIoNode::GetFrameValue(uint32_t) {
    return m_frame;
}
