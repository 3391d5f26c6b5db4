#include "hostlib/stdnodes/BooleanNode.h"

BooleanNode::BooleanNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(Attribute::CreateBoolean(this, kValue, "value", false));
    m_outplug_declarations.push_back({0, Value::Boolean, "bool", 0});
    UpdateInplugsAndOutplugs();
}

void BooleanNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_value = m_active && ReadBoolean(inplug_values[kValue]);
}

bool BooleanNode::GetBooleanValue(uint32_t) {
    return m_value;
}
