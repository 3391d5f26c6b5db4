#include "hostlib/stdnodes/PointNode.h"

PointNode::PointNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kX, "x", 0.0, -1e9, 1e9, 1.0, 2));
    m_attributes.emplace_back(new Attribute(this, kY, "y", 0.0, -1e9, 1e9, 1.0, 2));
    m_outplug_declarations.push_back({0, Value::Point, "point", 0});
    UpdateInplugsAndOutplugs();
}

void PointNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_point =
        m_active ? Point{ReadNumber(inplug_values[kX]), ReadNumber(inplug_values[kY])} : Point{};
}

Point PointNode::GetPointValue(uint32_t) {
    return m_point;
}
