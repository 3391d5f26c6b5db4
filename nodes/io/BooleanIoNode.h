#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

// Passes a boolean through. It has no "loop_action" attribute.
// An empty input or an inactive node gives zero; nothing of an earlier evaluation survives.
class BooleanIoNode : public IoNode {
public:
    BooleanIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held value.
    bool GetBooleanValue(uint32_t outplug) override;

private:
    bool m_boolean = false;
};
