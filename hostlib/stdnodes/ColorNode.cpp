#include "hostlib/stdnodes/ColorNode.h"

ColorNode::ColorNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(Attribute::CreateRgbo(this, kColor, "color", {0.0, 0.0, 0.0, 1.0}));
    m_outplug_declarations.push_back({0, Value::Rgbo, "color", 0});
    UpdateInplugsAndOutplugs();
}

void ColorNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_color = m_active ? ReadRgbo(inplug_values[kColor]) : Rgbo{};
}

Rgbo ColorNode::GetRgboValue(uint32_t) {
    return m_color;
}
