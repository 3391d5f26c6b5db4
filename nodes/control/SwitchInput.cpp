#include "nodes/control/SwitchInput.h"

#include <cstdint>

#include "nodes/CountRule.h"

const Node::Value* SwitchInput::Find(const Node& node,
                                     const std::vector<const Node::Value*>& inplug_values,
                                     Node::Value::Type type) {
    const uint32_t index_inplug = node.GetInplugIdFromAttributeId(0);
    if (index_inplug >= inplug_values.size()) {
        return nullptr;
    }
    const int64_t index = CountRule::FromValue(*inplug_values[index_inplug]);
    // Unsigned on purpose: a negative index wraps far past the end of the list.
    const uint64_t position = node.GetNumAttributes() - 1 + static_cast<uint64_t>(index);
    if (position >= inplug_values.size() || inplug_values[position]->m_type != type) {
        return nullptr;
    }
    return inplug_values[position];
}
