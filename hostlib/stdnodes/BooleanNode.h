#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// Publishes its "value" attribute as a boolean.
class BooleanNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 5};
    static constexpr const char* kTypeName = "Boolean";

    BooleanNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    bool GetBooleanValue(uint32_t outplug) override;

private:
    enum : uint32_t { kValue };
    bool m_value = false;
};
