#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// Publishes its "color" attribute.
class ColorNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 4};
    static constexpr const char* kTypeName = "Color";

    ColorNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Rgbo GetRgboValue(uint32_t outplug) override;

private:
    enum : uint32_t { kColor };
    Rgbo m_color;
};
