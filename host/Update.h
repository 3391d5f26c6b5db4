#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>

#include "host/HostExport.h"
#include "host/NodeEvent.h"

class Node;

// The host's event queue. Node::PostEvent queues; FlushEventsToProcess delivers the queued events
// in order through Node::ProcessEvent, including events posted while it runs. Events of a node
// that is destroyed before delivery are dropped.
class QM_HOST_API Update {
public:
    // The process-wide queue; never null.
    static Update* Get();

    // Ignores a null node.
    void Post(Node* node, uint32_t type, uint32_t parameter);
    void FlushEventsToProcess();
    // Drops the queued events of a node (called by the Node destructor).
    void Forget(const Node* node);
    size_t GetNumPending() const { return m_queue.size() - m_num_dropped; }

private:
    friend class Node;

    struct Entry {
        Node* m_node;
        NodeEvent m_event;
    };
    // A destroyed node's events still in the queue: those queued before m_death_sequence are
    // dropped on the way out (a later node may reuse the address).
    struct Dead {
        uint64_t m_death_sequence = 0;
        size_t m_remaining = 0;
    };

    Update() = default;
    uint64_t TakeSequence() { return m_next_sequence++; }
    bool IsDropped(const Entry& entry);

    std::deque<Entry> m_queue;
    std::unordered_map<const Node*, Dead> m_dead;
    size_t m_num_dropped = 0;
    uint64_t m_next_sequence = 1;
};
