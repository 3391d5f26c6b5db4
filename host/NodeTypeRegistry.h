#pragma once

#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/NodeType.h"
#include "host/RefPtr.h"

class Node;

// The process-wide table of node types, keyed by NodeType. The host's standard node library is
// registered when the registry is first used; plug-ins add theirs when PluginLoader loads them.
// GUI thread only.
class QM_HOST_API NodeTypeRegistry {
public:
    struct Entry {
        NodeType m_type;
        // Null for a type that the host can create but that no interface publishes.
        RefPtr<NodeInterface> m_interface;
        RefPtr<NodeFactory> m_factory;
        std::string m_name;
        // The library or plug-in file the type came from.
        std::string m_source;
    };

    static NodeTypeRegistry& Get();

    // Registers the type an interface describes, with the interface's factory. False (nothing
    // registered) when the type is already taken or the interface has no factory.
    bool Register(NodeInterface* node_interface, const std::string& source);
    // Registers a type without a published interface.
    bool RegisterUnpublished(NodeFactory* factory, const std::string& source);

    // Null when the type is unknown.
    const Entry* Find(const NodeType& type) const;
    // In registration order.
    std::vector<const Entry*> GetEntries() const;
    // A new node of that type (the caller owns it), or null when the type is unknown or its
    // factory makes nothing.
    Node* CreateNode(const NodeType& type) const;

private:
    NodeTypeRegistry();
    std::vector<Entry> m_entries;
};
