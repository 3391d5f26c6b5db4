#include "host/EvaluateNodeOutplugs.h"

#include <algorithm>

#include "host/Engine.h"
#include "host/EvaluationControl.h"

namespace {

const Node::Value kEmptyValue;
const char* const kCycleMessage = "Cycle in the node graph.";

}  // namespace

struct EvaluateNodeOutplugs::StackEntry {
    Node* m_node;
    uint32_t m_outplug;
    uint32_t m_next_inplug;
    bool m_cycle;
};

struct EvaluateNodeOutplugs::Storage {
    std::vector<StackEntry> m_stack;
    std::vector<NodeOutplugEval> m_targets;
    std::vector<Node*> m_replaced;
    EvaluationControl* m_control = nullptr;
};

std::vector<std::unique_ptr<EvaluateNodeOutplugs::Storage>>& EvaluateNodeOutplugs::FreeStorage() {
    thread_local std::vector<std::unique_ptr<Storage>> free_storage;
    return free_storage;
}

EvaluateNodeOutplugs::EvaluateNodeOutplugs(const std::vector<NodeOutplugEval>& outplugs,
                                           EvaluationPlan* plan)
    : m_plan(plan) {
    std::vector<std::unique_ptr<Storage>>& free_storage = FreeStorage();
    if (free_storage.empty()) {
        m_storage = new Storage();
    } else {
        m_storage = free_storage.back().release();
        free_storage.pop_back();
    }
    m_storage->m_targets.assign(outplugs.begin(), outplugs.end());
    m_storage->m_control = EvaluationControl::Current();
}

EvaluateNodeOutplugs::~EvaluateNodeOutplugs() {
    if (m_mode == Mode::Replay) {
        RebuildStack();
    }
    for (const StackEntry& entry : m_storage->m_stack) {
        if (entry.m_outplug < entry.m_node->m_outplugs.size()) {
            entry.m_node->m_outplugs[entry.m_outplug].m_in_progress = false;
        }
    }
    for (Node* node : m_storage->m_replaced) {
        node->m_replacement = nullptr;
        node->DirtyDownstream();
    }
    m_storage->m_stack.clear();
    m_storage->m_targets.clear();
    m_storage->m_replaced.clear();
    FreeStorage().emplace_back(m_storage);
}

void EvaluateNodeOutplugs::ReplaceNodeInplugValues(
    const std::map<Node*, const Node::Value*>& values) {
    for (const auto& [node, value] : values) {
        if (!node) {
            continue;
        }
        node->m_replacement = value ? value : &kEmptyValue;
        m_storage->m_replaced.push_back(node);
        node->DirtyDownstream();
    }
    // A plan is matched to the replacements when the first step begins.
    if (m_mode != Mode::Start) {
        DropPlan();
    }
}

void EvaluateNodeOutplugs::Start() {
    m_mode = Mode::Search;
    if (!m_plan) {
        return;
    }
    EvaluationPlan& plan = *m_plan;
    plan.m_replayed = false;
    const uint64_t structure = Engine::Get()->GetStructureVersion();
    const auto same_target = [](const NodeOutplugEval& a, const NodeOutplugEval& b) {
        return a.m_node == b.m_node && a.m_outplug == b.m_outplug;
    };
    if (plan.m_recorded && plan.m_structure == structure &&
        std::equal(plan.m_targets.begin(), plan.m_targets.end(), m_storage->m_targets.begin(),
                   m_storage->m_targets.end(), same_target) &&
        plan.m_replaced == m_storage->m_replaced) {
        m_mode = Mode::Replay;
        m_replay_at = 0;
        return;
    }
    plan.Clear();
    plan.m_targets = m_storage->m_targets;
    plan.m_replaced = m_storage->m_replaced;
    plan.m_structure = structure;
    plan.m_recorded = true;
    m_recording = true;
}

bool EvaluateNodeOutplugs::Replay() {
    using Op = EvaluationPlan::Op;
    const std::vector<EvaluationPlan::Step>& steps = m_plan->m_steps;
    // The stack is not kept while replaying, only the outplugs' in-progress marks: the plan says
    // what the stack would hold, and RebuildStack makes it when the search takes over.
    while (m_replay_at < steps.size()) {
        const EvaluationPlan::Step& step = steps[m_replay_at];
        if (step.m_op == Op::Compute) {
            ++m_replay_at;
            Compute(step.m_node, step.m_outplug, step.m_cycle);
            if (m_plan->m_structure != Engine::Get()->GetStructureVersion()) {
                DropPlan();
            }
            return true;
        }
        Node* descend_node = step.m_node;
        uint32_t descend_outplug = step.m_outplug;
        Outcome outcome;
        if (step.m_op == Op::Target) {
            outcome = CheckTarget(m_storage->m_targets[m_next_target++]);
        } else {
            outcome = CheckSource(step.m_node, step.m_outplug, step.m_inplug, step.m_source,
                                  step.m_source_outplug);
            descend_node = step.m_source;
            descend_outplug = step.m_source_outplug;
        }
        if (outcome != step.m_outcome) {
            Diverge(outcome);
            return false;
        }
        if (outcome == Outcome::Descend) {
            descend_node->m_outplugs[descend_outplug].m_in_progress = true;
        }
        ++m_replay_at;
    }
    m_plan->m_replayed = true;
    m_mode = Mode::Search;
    return false;
}

void EvaluateNodeOutplugs::Diverge(Outcome outcome) {
    RebuildStack();
    std::vector<EvaluationPlan::Step>& steps = m_plan->m_steps;
    const EvaluationPlan::Step step = steps[m_replay_at];
    // The plan keeps what matched and records the rest of this run.
    steps.resize(m_replay_at);
    m_mode = Mode::Search;
    m_recording = true;
    Record({step.m_op, outcome, false, step.m_inplug, step.m_node, step.m_outplug, step.m_source,
            step.m_source_outplug});
    if (step.m_op == EvaluationPlan::Op::Target) {
        if (outcome == Outcome::Descend) {
            Push(step.m_node, step.m_outplug);
        }
    } else {
        m_storage->m_stack.back().m_next_inplug = step.m_inplug + 1;
        Follow(outcome, step.m_source, step.m_source_outplug);
    }
}

void EvaluateNodeOutplugs::RebuildStack() {
    using Op = EvaluationPlan::Op;
    std::vector<StackEntry>& stack = m_storage->m_stack;
    const std::vector<EvaluationPlan::Step>& steps = m_plan->m_steps;
    for (size_t i = 0; i < m_replay_at; ++i) {
        const EvaluationPlan::Step& step = steps[i];
        if (step.m_op == Op::Compute) {
            stack.pop_back();
        } else if (step.m_op == Op::Target) {
            if (step.m_outcome == Outcome::Descend) {
                stack.push_back({step.m_node, step.m_outplug, 0, false});
            }
        } else {
            stack.back().m_next_inplug = step.m_inplug + 1;
            if (step.m_outcome == Outcome::Cycle) {
                MarkCycle(step.m_source, step.m_source_outplug);
            } else if (step.m_outcome == Outcome::Descend) {
                stack.push_back({step.m_source, step.m_source_outplug, 0, false});
            }
        }
    }
}

void EvaluateNodeOutplugs::DropPlan() {
    if (m_mode == Mode::Replay) {
        RebuildStack();
    }
    if (m_plan) {
        m_plan->Clear();
    }
    m_mode = Mode::Search;
    m_recording = false;
}

void EvaluateNodeOutplugs::Record(const EvaluationPlan::Step& step) {
    if (m_recording) {
        m_plan->m_steps.push_back(step);
    }
}

EvaluateNodeOutplugs::Outcome EvaluateNodeOutplugs::CheckTarget(const NodeOutplugEval& target) {
    if (!target.m_node || target.m_outplug >= target.m_node->m_outplugs.size()) {
        return Outcome::Clean;
    }
    const Node::Outplug& outplug = target.m_node->m_outplugs[target.m_outplug];
    if (!outplug.m_dirty) {
        return Outcome::Clean;
    }
    // An outplug in progress belongs to an enclosing evaluation: asking for it is a cycle
    // through a nested graph, which is left alone.
    return outplug.m_in_progress ? Outcome::Cycle : Outcome::Descend;
}

EvaluateNodeOutplugs::Outcome EvaluateNodeOutplugs::CheckSource(const Node* node, uint32_t outplug,
                                                                uint32_t inplug, const Node* source,
                                                                uint32_t source_outplug) {
    const Node::Outplug& needed = source->m_outplugs[source_outplug];
    if (!needed.m_dirty) {
        return Outcome::Clean;
    }
    if (!node->InplugAffectsOutplug(inplug, outplug)) {
        return Outcome::Unneeded;
    }
    return needed.m_in_progress ? Outcome::Cycle : Outcome::Descend;
}

void EvaluateNodeOutplugs::Follow(Outcome outcome, Node* source, uint32_t source_outplug) {
    if (outcome == Outcome::Cycle) {
        MarkCycle(source, source_outplug);
    } else if (outcome == Outcome::Descend) {
        Push(source, source_outplug);
    }
}

bool EvaluateNodeOutplugs::EvaluateNextStep() {
    if (m_mode == Mode::Start) {
        Start();
    }
    if (m_mode == Mode::Replay && Replay()) {
        return true;
    }
    std::vector<StackEntry>& stack = m_storage->m_stack;
    if (stack.empty() && !PushNextTarget()) {
        return false;
    }
    // Descend to the first dirty source of the top entry until the top has all it needs.
    Node* node = stack.back().m_node;
    uint32_t outplug = stack.back().m_outplug;
    for (;;) {
        // The scan position stays in a register: storing it back narrowly and then copying the
        // entry whole would stall on store forwarding.
        uint32_t inplug = stack.back().m_next_inplug;
        const uint32_t num_inplugs = uint32_t(node->m_inplugs.size());
        const uint32_t replaced = node->m_replacement ? node->m_num_attribute_inplugs : Node::kNone;
        Node* source = nullptr;
        uint32_t source_outplug = 0;
        for (; inplug < num_inplugs; ++inplug) {
            const Node::Inplug& plug = node->m_inplugs[inplug];
            if (!plug.m_source || inplug == replaced) {
                continue;
            }
            const Outcome outcome =
                CheckSource(node, outplug, inplug, plug.m_source, plug.m_source_outplug);
            Record({EvaluationPlan::Op::Probe, outcome, false, inplug, node, outplug, plug.m_source,
                    plug.m_source_outplug});
            if (outcome != Outcome::Descend) {
                Follow(outcome, plug.m_source, plug.m_source_outplug);
                continue;
            }
            source = plug.m_source;
            source_outplug = plug.m_source_outplug;
            ++inplug;
            break;
        }
        stack.back().m_next_inplug = inplug;
        if (!source) {
            break;
        }
        Push(source, source_outplug);
        node = source;
        outplug = source_outplug;
    }
    const bool cycle = stack.back().m_cycle;
    stack.pop_back();
    Record({EvaluationPlan::Op::Compute, Outcome::Descend, cycle, 0, node, outplug, nullptr, 0});
    Compute(node, outplug, cycle);
    if (m_recording && m_plan->m_structure != Engine::Get()->GetStructureVersion()) {
        DropPlan();
    }
    return true;
}

bool EvaluateNodeOutplugs::EvaluateAll() {
    const EvaluationControl* control = m_storage->m_control;
    while (!(control && control->IsStopRequested())) {
        if (!EvaluateNextStep()) {
            return true;
        }
    }
    return false;
}

bool EvaluateNodeOutplugs::PushNextTarget() {
    const std::vector<NodeOutplugEval>& targets = m_storage->m_targets;
    while (m_next_target < targets.size()) {
        const NodeOutplugEval& target = targets[m_next_target++];
        const Outcome outcome = CheckTarget(target);
        Record({EvaluationPlan::Op::Target, outcome, false, 0, target.m_node, target.m_outplug,
                nullptr, 0});
        if (outcome == Outcome::Descend) {
            Push(target.m_node, target.m_outplug);
            return true;
        }
    }
    return false;
}

void EvaluateNodeOutplugs::Push(Node* node, uint32_t outplug) {
    node->m_outplugs[outplug].m_in_progress = true;
    m_storage->m_stack.push_back({node, outplug, 0, false});
}

void EvaluateNodeOutplugs::MarkCycle(const Node* node, uint32_t outplug) {
    std::vector<StackEntry>& stack = m_storage->m_stack;
    size_t first = stack.size() - 1;
    for (size_t i = stack.size(); i-- > 0;) {
        if (stack[i].m_node == node && stack[i].m_outplug == outplug) {
            first = i;
            break;
        }
    }
    for (size_t i = first; i < stack.size(); ++i) {
        stack[i].m_cycle = true;
    }
}

void EvaluateNodeOutplugs::Compute(Node* node, uint32_t outplug, bool cycle) {
    // A dirty source is one the outplug does not need, or one on a cycle: either reads as empty.
    std::vector<const Node::Value*>& values = node->m_inplug_values;
    values.resize(node->m_inplugs.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const Node::Inplug& plug = node->m_inplugs[i];
        if (node->m_replacement && i == node->m_num_attribute_inplugs) {
            values[i] = node->m_replacement;
        } else if (plug.m_source) {
            const Node::Outplug& source = plug.m_source->m_outplugs[plug.m_source_outplug];
            values[i] = source.m_dirty ? &kEmptyValue : &source.m_value;
        } else if (plug.m_attribute) {
            values[i] = &plug.m_own_value;
        } else {
            values[i] = &kEmptyValue;
        }
    }
    Node::Outplug& before = node->m_outplugs[outplug];
    before.m_state = 0;
    before.m_message.clear();
    before.m_reports.clear();

    node->EvaluateOutplug(outplug, values);

    // The node may have rebuilt its plugs meanwhile.
    if (outplug >= node->m_outplugs.size()) {
        return;
    }
    // A stopped evaluation leaves what it was computing dirty: the result may be partial.
    if (m_storage->m_control && m_storage->m_control->Poll()) {
        node->m_outplugs[outplug].m_in_progress = false;
        return;
    }
    node->StoreResults(outplug);
    Node::Outplug& after = node->m_outplugs[outplug];
    after.m_in_progress = false;
    if (after.m_dirty) {
        after.m_dirty = false;
        --node->m_num_dirty;
    }
    if (cycle) {
        after.m_state = 2;
        after.m_message = kCycleMessage;
        after.m_reports.push_back({2, kCycleMessage});
    }
}
