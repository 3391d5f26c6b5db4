#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// Publishes its "value" attribute as a number.
class NumberNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 0};
    static constexpr const char* kTypeName = "Number";

    NumberNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    double GetNumberValue(uint32_t outplug) override;

private:
    enum : uint32_t { kValue };
    double m_number = 0.0;
};
