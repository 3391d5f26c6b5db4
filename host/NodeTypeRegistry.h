#pragma once

#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/HostExport.h"
#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/NodeType.h"
#include "host/RefPtr.h"

class Node;

// The process-wide table of node types, keyed by NodeType. The host's standard node library is
// registered when the registry is first used; plug-ins add theirs when PluginLoader loads them.
// Entries are never removed, and pointers to them stay valid for the life of the process.
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
    // registered, the reason in `reason` when given) when the type is already taken, the interface
    // has no factory, or the factory makes another type than the interface describes.
    bool Register(NodeInterface* node_interface, const std::string& source,
                  std::string* reason = nullptr);
    // Registers a type without a published interface. False when the factory is null or its type
    // is already taken.
    bool RegisterUnpublished(NodeFactory* factory, const std::string& source,
                             std::string* reason = nullptr);
    // Registers every interface of one library as Register does, and returns the reasons of those
    // it refused (the others are registered). Every interface is asked for its type, name and
    // factory before the first one is registered, so an exception from one of them registers
    // nothing of the batch; such exceptions propagate.
    std::vector<std::string> RegisterAll(const std::vector<NodeInterface*>& node_interfaces,
                                         const std::string& source);

    // Null when the type is unknown.
    const Entry* Find(const NodeType& type) const;
    // In registration order.
    std::vector<const Entry*> GetEntries() const;
    // A new node of that type (the caller owns it), or null when the type is unknown or its
    // factory makes nothing. An exception thrown by the factory propagates to the caller; the
    // registry is unchanged by it.
    Node* CreateNode(const NodeType& type) const;

private:
    NodeTypeRegistry();
    // The entry an interface describes, or nothing (with the reason) when it has no factory or
    // its factory makes another type. Calls into the interface and may throw.
    static std::optional<Entry> Describe(NodeInterface* node_interface, const std::string& source,
                                         std::string& reason);
    // False (with the reason) when the type is already taken.
    bool Add(Entry entry, std::string& reason);

    // A deque, so that entries never move.
    std::deque<Entry> m_entries;
    std::unordered_map<NodeType, const Entry*> m_index;
};
