#include "hostlib/stdnodes/NumberNode.h"

NumberNode::NumberNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kValue, "value", 0.0, -1e9, 1e9, 0.1, 3));
    m_outplug_declarations.push_back({0, Value::Number, "number", 0});
    UpdateInplugsAndOutplugs();
}

void NumberNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_number = m_active ? ReadNumber(inplug_values[kValue]) : 0.0;
}

double NumberNode::GetNumberValue(uint32_t) {
    return m_number;
}
