#pragma once

#include "host/HostExport.h"
#include "host/NodeEvent.h"

class Node;

// Receives the events a node processes with the base handling (Node::OnProcessEvent). Listeners are
// not owned; one must remove itself (Node::RemoveNodeListener) before it is destroyed.
class QM_HOST_API NodeListener {
public:
    virtual ~NodeListener();
    virtual void OnNodeEvent(Node* node, const NodeEvent& event) = 0;
};
