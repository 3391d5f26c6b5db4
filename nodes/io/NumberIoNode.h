#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

// Passes a number through.
// An empty input or an inactive node gives zero; nothing of an earlier evaluation survives.
class NumberIoNode : public IoNode {
public:
    NumberIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held value.
    double GetNumberValue(uint32_t outplug) override;

private:
    double m_number = 0.0;
};
