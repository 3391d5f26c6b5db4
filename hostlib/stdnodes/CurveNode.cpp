#include "hostlib/stdnodes/CurveNode.h"

CurveNode::CurveNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(
        Attribute::CreatePoint(this, kStart, "start", {0.0, 0.0}, -1e9, 1e9, 0.1, 3));
    m_attributes.emplace_back(
        Attribute::CreatePoint(this, kEnd, "end", {1.0, 1.0}, -1e9, 1e9, 0.1, 3));
    m_outplug_declarations.push_back({0, Value::Curve, "curves", 0});
    m_curves.reserve(1);
    UpdateInplugsAndOutplugs();
}

void CurveNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_curves.clear();
    if (!m_active) {
        return;
    }
    const Point start = ReadPoint(inplug_values[kStart]);
    const Point end = ReadPoint(inplug_values[kEnd]);
    const Point step{(end.x - start.x) / 3.0, (end.y - start.y) / 3.0};
    m_spline = BezierSpline(
        {start, {start.x + step.x, start.y + step.y}, {end.x - step.x, end.y - step.y}, end});
    m_curves.push_back(&m_spline);
}

std::vector<BezierSpline*>* CurveNode::GetCurveValue(uint32_t) {
    return m_curves.empty() ? nullptr : &m_curves;
}
