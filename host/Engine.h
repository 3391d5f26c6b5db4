#pragma once

#include <atomic>
#include <cstdint>

#include "host/HostExport.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

class Node;

// The process-wide engine: the open document and the connection operations by plug id. The
// connection operations work on nodes of any graph; each dirties the target and downstream and
// posts kEventConnectionChanged (and kEventPlugsChanged when an expanding input grows or shrinks)
// to the target.
class QM_HOST_API Engine {
public:
    // Never null.
    static Engine* Get();

    // Never null.
    NodeGraph* GetDocument() const { return m_document.Get(); }
    // Takes a reference; null installs a new empty graph.
    void SetDocument(NodeGraph* document);
    size_t GetNumNodes() const;
    Node* GetNode(size_t index) const;

    // Connects outplug to inplug, replacing the inplug's previous source. False (nothing changes)
    // when a plug id is invalid or the value types differ. Connecting an expanding input's free
    // plug gives the node a new free plug.
    bool ConnectNodes(Node* from, uint32_t outplug, Node* to, uint32_t inplug);
    // Removes the connection into an inplug; an expanding input's plug is removed with it and the
    // later plugs of that input move down. False when the inplug is invalid or unconnected.
    bool DisconnectInplug(Node* to, uint32_t inplug);
    // Removes every connection into and out of the node.
    void DisconnectAll(Node* node);

    // Counts changes of any graph's structure: connections made or removed, plugs rebuilt, nodes
    // added, deleted or destroyed. An evaluation plan is replayed only while it stays the same.
    uint64_t GetStructureVersion() const { return m_structure.load(std::memory_order_relaxed); }
    void NoteStructureChange() { m_structure.fetch_add(1, std::memory_order_relaxed); }

private:
    Engine();
    RefPtr<NodeGraph> m_document;
    std::atomic<uint64_t> m_structure{0};
};
