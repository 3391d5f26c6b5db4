#include "host/Update.h"

#include "host/Node.h"

Update* Update::Get() {
    // Never destroyed: nodes may still be released during static destruction.
    static Update* const update = new Update();
    return update;
}

void Update::Post(Node* node, uint32_t type, uint32_t parameter) {
    if (!node) {
        return;
    }
    m_queue.push_back({node, {TakeSequence(), type, parameter}});
    ++node->m_num_pending_events;
}

void Update::FlushEventsToProcess() {
    // Pop before delivering: a handler may post more events or flush again.
    while (!m_queue.empty()) {
        const Entry entry = m_queue.front();
        m_queue.pop_front();
        if (IsDropped(entry)) {
            continue;
        }
        --entry.m_node->m_num_pending_events;
        entry.m_node->DeliverEvent(entry.m_event);
    }
}

void Update::Forget(const Node* node) {
    if (!node || node->m_num_pending_events == 0) {
        return;
    }
    Dead& dead = m_dead[node];
    dead.m_death_sequence = m_next_sequence;
    dead.m_remaining += node->m_num_pending_events;
    m_num_dropped += node->m_num_pending_events;
}

bool Update::IsDropped(const Entry& entry) {
    if (m_dead.empty()) {
        return false;
    }
    auto found = m_dead.find(entry.m_node);
    if (found == m_dead.end() || entry.m_event.m_sequence >= found->second.m_death_sequence) {
        return false;
    }
    --m_num_dropped;
    if (--found->second.m_remaining == 0) {
        m_dead.erase(found);
    }
    return true;
}
