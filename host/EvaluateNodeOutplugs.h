#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "host/EvaluationPlan.h"
#include "host/HostExport.h"
#include "host/Node.h"
#include "host/NodeOutplugEval.h"

// Step-wise evaluation of a set of outplugs and of everything they depend on. Each
// EvaluateNextStep computes one outplug whose inputs are ready; dirty-aware (clean outplugs are
// reused) and without recursion, so chains of any depth need no stack. Re-entrant: a node may run
// another EvaluateNodeOutplugs over other nodes inside its own EvaluateOutplug. The nodes involved
// must outlive the evaluator and keep their connections while it steps.
//
// A cycle does not hang: the outplugs on it get state 2 with a message and are computed with the
// closing input left empty.
//
// Given a plan, a run replays what the plan's last run did when nothing it depends on changed, and
// otherwise records what it does for the next run (see EvaluationPlan); steps, results and states
// are the same either way.
class QM_HOST_API EvaluateNodeOutplugs {
public:
    // The plan, when given, must outlive the evaluator.
    explicit EvaluateNodeOutplugs(const std::vector<NodeOutplugEval>& outplugs,
                                  EvaluationPlan* plan = nullptr);
    // Leaves no node marked; the nodes whose input was replaced are dirtied again, so that their
    // results are not reused without the replacement.
    ~EvaluateNodeOutplugs();
    EvaluateNodeOutplugs(const EvaluateNodeOutplugs&) = delete;
    EvaluateNodeOutplugs& operator=(const EvaluateNodeOutplugs&) = delete;

    // For each node in the map, the value stands in for whatever feeds the node's regular input 0;
    // the node is dirtied and its own source is not evaluated. The values must outlive the
    // evaluator; a null value counts as empty.
    void ReplaceNodeInplugValues(const std::map<Node*, const Node::Value*>& values);

    // Computes one outplug. Returns false when nothing was left to compute.
    bool EvaluateNextStep();
    // Steps until done. Returns false when the current EvaluationControl asked to stop first; what
    // was being computed is then left dirty and no outplug value of this evaluation may be read.
    bool EvaluateAll();

private:
    struct StackEntry;
    struct Storage;

    // Reusable per-thread storage, so that constructing an evaluator does not allocate once the
    // thread has run one of that size.
    static std::vector<std::unique_ptr<Storage>>& FreeStorage();

    using Outcome = EvaluationPlan::Outcome;
    enum class Mode : uint8_t { Start, Replay, Search };

    // Replays the plan if it fits this run, otherwise starts recording a new one.
    void Start();
    // Replays up to the next computed outplug and returns true; false when the plan ended or a
    // check came out differently, leaving the stack as the search would have it.
    bool Replay();
    // The check at the replay position found `outcome` instead: the search takes over from there.
    void Diverge(Outcome outcome);
    // The stack as the search would hold it after the plan's steps replayed so far.
    void RebuildStack();
    // The plan cannot describe this run any further: neither replayed nor recorded.
    void DropPlan();
    void Record(const EvaluationPlan::Step& step);
    static Outcome CheckTarget(const NodeOutplugEval& target);
    static Outcome CheckSource(const Node* node, uint32_t outplug, uint32_t inplug,
                               const Node* source, uint32_t source_outplug);
    // Acts on a source check's outcome for the top entry.
    void Follow(Outcome outcome, Node* source, uint32_t source_outplug);

    bool PushNextTarget();
    void Push(Node* node, uint32_t outplug);
    void MarkCycle(const Node* node, uint32_t outplug);
    // Computes outplug `outplug` of `node`, already taken off the stack; `cycle`: it lies on a
    // cycle.
    void Compute(Node* node, uint32_t outplug, bool cycle);

    Storage* m_storage;
    size_t m_next_target = 0;
    EvaluationPlan* m_plan;
    size_t m_replay_at = 0;
    Mode m_mode = Mode::Start;
    bool m_recording = false;
};
