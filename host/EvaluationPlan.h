#pragma once

#include <cstdint>
#include <vector>

#include "host/HostExport.h"
#include "host/NodeOutplugEval.h"

class Node;

// What one evaluator run did, in order: each target it looked at, each connected source it checked
// on the way down with what it found, and each outplug it computed. An evaluator given the plan
// again replays it while the graphs' structure, the targets and the replaced nodes are unchanged:
// it makes every check again (dirtiness, InplugAffectsOutplug, cycles), but without searching for
// the plugs to check. At the first check that comes out differently it carries on with the full
// search from that point and records what it does instead. One plan serves one caller that runs
// the same graph many times; it must not be given to two evaluators at once.
class QM_HOST_API EvaluationPlan {
public:
    // The next run searches and records afresh.
    void Clear();
    // True when the last run given the plan replayed all of it.
    bool WasReplayed() const { return m_replayed; }

private:
    friend class EvaluateNodeOutplugs;

    enum class Op : uint8_t { Target, Probe, Compute };
    // What a check of a target or source found.
    enum class Outcome : uint8_t { Clean, Unneeded, Cycle, Descend };
    struct Step {
        Op m_op;
        Outcome m_outcome;
        // Computations: the outplug lies on a cycle.
        bool m_cycle;
        // Probes: the inplug checked, of the outplug the node computes next.
        uint32_t m_inplug;
        // The target, the node whose inplug is checked, or the node computed.
        Node* m_node;
        uint32_t m_outplug;
        // Probes: the inplug's source.
        Node* m_source;
        uint32_t m_source_outplug;
    };

    std::vector<Step> m_steps;
    std::vector<NodeOutplugEval> m_targets;
    std::vector<Node*> m_replaced;
    uint64_t m_structure = 0;
    bool m_recorded = false;
    bool m_replayed = false;
};
