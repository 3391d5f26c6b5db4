#include "hostlib/stdnodes/FrameNode.h"

FrameNode::FrameNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kX, "x", 0.0, -1e9, 1e9, 1.0, 2));
    m_attributes.emplace_back(new Attribute(this, kY, "y", 0.0, -1e9, 1e9, 1.0, 2));
    m_attributes.emplace_back(new Attribute(this, kWidth, "width", 0.0, -1e9, 1e9, 1.0, 2));
    m_attributes.emplace_back(new Attribute(this, kHeight, "height", 0.0, -1e9, 1e9, 1.0, 2));
    m_outplug_declarations.push_back({0, Value::Frame, "frame", 0});
    UpdateInplugsAndOutplugs();
}

void FrameNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_frame = m_active
                  ? Frame{ReadNumber(inplug_values[kX]), ReadNumber(inplug_values[kY]),
                          ReadNumber(inplug_values[kWidth]), ReadNumber(inplug_values[kHeight])}
                  : Frame{};
}

Frame FrameNode::GetFrameValue(uint32_t) {
    return m_frame;
}
