#include "hostlib/stdnodes/MathNode.h"

#include <algorithm>
#include <cmath>
#include <string>

MathNode::MathNode() : StandardNode(kNodeType, kTypeName) {
    // One string for all Math nodes: the list is too long to be built without an allocation.
    static const std::string kOperations = "add,subtract,multiply,divide,minimum,maximum,power";
    m_attributes.emplace_back(new Attribute(this, kOperation, "operation", kAdd, kOperations));
    m_attributes.emplace_back(new Attribute(this, kA, "a", 0.0, -1e9, 1e9, 0.1, 3));
    m_attributes.emplace_back(new Attribute(this, kB, "b", 0.0, -1e9, 1e9, 0.1, 3));
    m_outplug_declarations.push_back({0, Value::Number, "number", 0});
    UpdateInplugsAndOutplugs();
}

void MathNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_number = 0.0;
    SetState(0, 0, "");
    if (!m_active) {
        return;
    }
    const double a = ReadNumber(inplug_values[kA]);
    const double b = ReadNumber(inplug_values[kB]);
    const int operation = ReadChoice(kOperation, inplug_values[kOperation]);
    switch (operation) {
        case kAdd:
            m_number = a + b;
            break;
        case kSubtract:
            m_number = a - b;
            break;
        case kMultiply:
            m_number = a * b;
            break;
        case kDivide:
            if (b == 0.0) {
                SetState(0, 1, "Division by zero.");
            } else {
                m_number = a / b;
            }
            break;
        case kMinimum:
            m_number = std::min(a, b);
            break;
        case kMaximum:
            m_number = std::max(a, b);
            break;
        case kPower:
            m_number = std::pow(a, b);
            break;
        default:
            SetState(0, 1, "Unknown operation \"" + ReadString(inplug_values[kOperation]) + "\".");
            break;
    }
}

double MathNode::GetNumberValue(uint32_t) {
    return m_number;
}
