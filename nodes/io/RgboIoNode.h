#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

// Passes a colour through. Its plug is named "color".
// An empty input or an inactive node gives zero; nothing of an earlier evaluation survives.
class RgboIoNode : public IoNode {
public:
    RgboIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held value.
    Rgbo GetRgboValue(uint32_t outplug) override;

private:
    Rgbo m_rgbo{};
};
