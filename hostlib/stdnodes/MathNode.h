#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// a op b for the operation chosen. Division by zero gives 0 and an error state.
class MathNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 1};
    static constexpr const char* kTypeName = "Math";

    MathNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    double GetNumberValue(uint32_t outplug) override;

private:
    enum : uint32_t { kOperation, kA, kB };
    // In the order of the operation's choices.
    enum Operation { kAdd, kSubtract, kMultiply, kDivide, kMinimum, kMaximum, kPower };
    double m_number = 0.0;
};
