#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

class BezierSpline;

// Passes a list of curves through as its own deep copies. Unlike the other IO nodes it does not
// reset: an inactive node, or an input that carries no curve list, keeps the last curves.
class CurvesIoNode : public IoNode {
public:
    CurvesIoNode();
    ~CurvesIoNode() override;
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // The held list itself, for any outplug index. An evaluation that takes new curves replaces
    // every copy, so earlier pointers from the list do not survive it.
    std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug) override;

private:
    std::vector<BezierSpline*> m_curves;
};
