#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// The point (x, y).
class PointNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 2};
    static constexpr const char* kTypeName = "Point";

    PointNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Point GetPointValue(uint32_t outplug) override;

private:
    enum : uint32_t { kX, kY };
    Point m_point;
};
