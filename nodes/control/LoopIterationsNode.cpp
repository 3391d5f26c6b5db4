#include "nodes/control/LoopIterationsNode.h"

#include <algorithm>
#include <limits>

#include "library/ProjectNodeTypes.h"
#include "nodes/CountRule.h"

namespace {

constexpr uint32_t kIteration = 0;
constexpr uint32_t kIterations = 1;

// A run count far outside int (a hostile project) saturates rather than wraps.
int CountOf(const Node::Value& value) {
    return static_cast<int>(std::clamp<int64_t>(CountRule::FromValue(value),
                                                std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

LoopIterationsNode::LoopIterationsNode() {
    m_attributes.emplace_back(
        new Attribute(this, kIteration, "iteration", 1.0, 1.0, 10000.0, 1.0, 0));
    m_attributes.emplace_back(
        new Attribute(this, kIterations, "iterations", 1.0, 1.0, 10000.0, 1.0, 0));
    m_outplug_declarations.push_back({kIteration, Value::Number, "iteration", 0});
    m_outplug_declarations.push_back({kIterations, Value::Number, "iterations", 0});
    UpdateInplugsAndOutplugs();
}

NodeType LoopIterationsNode::GetNodeType() const {
    return ProjectNodeTypes::kLoopIterationsType;
}

std::string LoopIterationsNode::GetTypeName() const {
    return ProjectNodeTypes::kLoopIterationsName;
}

void LoopIterationsNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_iteration = CountOf(*inplug_values[GetInplugIdFromAttributeId(kIteration)]);
    m_iterations = CountOf(*inplug_values[GetInplugIdFromAttributeId(kIterations)]);
}

double LoopIterationsNode::GetNumberValue(uint32_t outplug) {
    return outplug == kIteration ? m_iteration : m_iterations;
}
