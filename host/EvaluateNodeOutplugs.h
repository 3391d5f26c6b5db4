#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/Node.h"
#include "host/NodeOutplugEval.h"

// Step-wise evaluation of a set of outplugs and of everything they depend on. Each
// EvaluateNextStep computes one outplug whose inputs are ready; dirty-aware (clean outplugs are
// reused) and without recursion, so chains of any depth need no stack. Re-entrant: a node may run
// another EvaluateNodeOutplugs over other nodes inside its own EvaluateOutplug.
//
// A cycle does not hang: the outplugs on it get state 2 with a message and are computed with the
// closing input left empty.
class QM_HOST_API EvaluateNodeOutplugs {
public:
    explicit EvaluateNodeOutplugs(const std::vector<NodeOutplugEval>& outplugs);
    ~EvaluateNodeOutplugs();
    EvaluateNodeOutplugs(const EvaluateNodeOutplugs&) = delete;
    EvaluateNodeOutplugs& operator=(const EvaluateNodeOutplugs&) = delete;

    // For each node in the map, the value stands in for whatever feeds the node's regular input 0;
    // the node is dirtied and its own source is not evaluated.
    void ReplaceNodeInplugValues(const std::map<Node*, const Node::Value*>& values);

    // Computes one outplug. Returns false when nothing was left to compute.
    bool EvaluateNextStep();
    // Steps until done.
    void EvaluateAll();

private:
    struct Frame;

    std::vector<NodeOutplugEval> m_targets;
    size_t m_next_target = 0;
    std::vector<Frame>* m_stack;
    std::map<Node*, const Node::Value*> m_replacements;
};
