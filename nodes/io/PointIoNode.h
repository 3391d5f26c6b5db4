#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

// Passes a point through.
// An empty input or an inactive node gives zero; nothing of an earlier evaluation survives.
class PointIoNode : public IoNode {
public:
    PointIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held value.
    Point GetPointValue(uint32_t outplug) override;

private:
    Point m_point{};
};
