#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Node.h"

// Publishes which run of a loop is under way ("iteration", outplug 0) and how many runs there are
// ("iterations", outplug 1). A Node Graph node running the project writes both attributes before
// each run; on its own the node publishes the attribute values. Counts are whole numbers, an exact
// half rounding down. Unlike the other nodes it computes even while its active flag is clear.
class LoopIterationsNode : public Node {
public:
    LoopIterationsNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Outplug 0 gives the iteration; any other index the iterations.
    double GetNumberValue(uint32_t outplug) override;

private:
    int m_iteration = 0;
    int m_iterations = 0;
};
