#pragma once

#include <cstdint>
#include <deque>

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

    void Post(Node* node, uint32_t type, uint32_t parameter);
    void FlushEventsToProcess();
    // Drops the queued events of a node (called by the Node destructor).
    void Forget(const Node* node);
    size_t GetNumPending() const { return m_queue.size(); }

private:
    struct Entry {
        Node* m_node;
        NodeEvent m_event;
    };
    std::deque<Entry> m_queue;
    uint64_t m_next_sequence = 1;
};
