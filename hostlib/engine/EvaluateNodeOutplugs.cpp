#include "host/EvaluateNodeOutplugs.h"

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

EvaluateNodeOutplugs::EvaluateNodeOutplugs(const std::vector<NodeOutplugEval>& outplugs) {
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
}

bool EvaluateNodeOutplugs::EvaluateNextStep() {
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
            const Node::Outplug& needed = plug.m_source->m_outplugs[plug.m_source_outplug];
            if (!needed.m_dirty || !node->InplugAffectsOutplug(inplug, outplug)) {
                continue;
            }
            if (needed.m_in_progress) {
                MarkCycle(plug.m_source, plug.m_source_outplug);
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
    Compute(node, outplug);
    return true;
}

void EvaluateNodeOutplugs::EvaluateAll() {
    const EvaluationControl* control = m_storage->m_control;
    while (!(control && control->IsStopRequested()) && EvaluateNextStep()) {
    }
}

bool EvaluateNodeOutplugs::PushNextTarget() {
    const std::vector<NodeOutplugEval>& targets = m_storage->m_targets;
    while (m_next_target < targets.size()) {
        const NodeOutplugEval& target = targets[m_next_target++];
        if (!target.m_node || target.m_outplug >= target.m_node->m_outplugs.size()) {
            continue;
        }
        const Node::Outplug& outplug = target.m_node->m_outplugs[target.m_outplug];
        // An outplug in progress belongs to an enclosing evaluation: asking for it is a cycle
        // through a nested graph, which is left alone.
        if (outplug.m_dirty && !outplug.m_in_progress) {
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

void EvaluateNodeOutplugs::Compute(Node* node, uint32_t outplug) {
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

    const bool cycle = m_storage->m_stack.back().m_cycle;
    m_storage->m_stack.pop_back();
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
