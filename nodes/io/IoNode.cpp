#include "nodes/io/IoNode.h"

IoNode::IoNode(Value::Type type, const char* plug_name, const char* loop_actions) {
    if (loop_actions) {
        m_attributes.emplace_back(new Attribute(this, 0, "loop_action", 0, loop_actions));
    }
    m_inplug_declarations.push_back({0, type, plug_name, 0, 0});
    m_outplug_declarations.push_back({0, type, plug_name, 0});
    UpdateInplugsAndOutplugs();
}

Node* IoNode::GetInputNode() const {
    return GetInplugNode(GetInplugIdFromRegularInputId(0));
}

uint32_t IoNode::GetInputNodeOutplug() const {
    return GetInplugNodeOutplug(GetInplugIdFromRegularInputId(0));
}

const Node::Value* IoNode::InputValue(const std::vector<const Value*>& inplug_values) const {
    const uint32_t inplug = GetInplugIdFromRegularInputId(0);
    if (!m_active || inplug >= inplug_values.size()) {
        return nullptr;
    }
    return inplug_values[inplug];
}
