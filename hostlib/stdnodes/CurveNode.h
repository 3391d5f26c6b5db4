#pragma once

#include <vector>

#include "host/BezierSpline.h"
#include "hostlib/stdnodes/StandardNode.h"

// One cubic spline, a straight segment from start to end with its control points at the thirds.
// Inactive: no curve list at all.
class CurveNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 5, 0};
    static constexpr const char* kTypeName = "Curve";

    CurveNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug) override;

private:
    enum : uint32_t { kStart, kEnd };
    BezierSpline m_spline;
    // Empty, or the address of m_spline.
    std::vector<BezierSpline*> m_curves;
};
