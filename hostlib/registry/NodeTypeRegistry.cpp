#include "host/NodeTypeRegistry.h"

#include <utility>

#include "hostlib/stdnodes/StandardNodeLibrary.h"

NodeTypeRegistry& NodeTypeRegistry::Get() {
    static NodeTypeRegistry registry;
    return registry;
}

NodeTypeRegistry::NodeTypeRegistry() {
    StandardNodeLibrary::Register(*this);
}

std::optional<NodeTypeRegistry::Entry> NodeTypeRegistry::Describe(NodeInterface* node_interface,
                                                                  const std::string& source,
                                                                  std::string& reason) {
    if (!node_interface) {
        reason = "no node interface";
        return std::nullopt;
    }
    Entry entry;
    entry.m_type = node_interface->GetNodeType();
    entry.m_name = node_interface->GetName();
    entry.m_source = source;
    const std::string label = "type " + entry.m_type.ToString() + " (\"" + entry.m_name + "\")";
    NodeFactory* factory = node_interface->GetFactory();
    if (!factory) {
        reason = label + " has no factory";
        return std::nullopt;
    }
    const NodeType factory_type = factory->GetNodeType();
    if (factory_type != entry.m_type) {
        reason = label + " has a factory of type " + factory_type.ToString();
        return std::nullopt;
    }
    entry.m_interface = node_interface;
    entry.m_factory = factory;
    return entry;
}

bool NodeTypeRegistry::Add(Entry entry, std::string& reason) {
    if (const Entry* taken = Find(entry.m_type)) {
        reason = "type " + entry.m_type.ToString() + " (\"" + entry.m_name +
                 "\") is already registered as \"" + taken->m_name + "\" from " + taken->m_source;
        return false;
    }
    const Entry& added = m_entries.emplace_back(std::move(entry));
    m_index.emplace(added.m_type, &added);
    return true;
}

bool NodeTypeRegistry::Register(NodeInterface* node_interface, const std::string& source,
                                std::string* reason) {
    std::string why;
    std::optional<Entry> entry = Describe(node_interface, source, why);
    const bool added = entry && Add(std::move(*entry), why);
    if (!added && reason) {
        *reason = why;
    }
    return added;
}

bool NodeTypeRegistry::RegisterUnpublished(NodeFactory* factory, const std::string& source,
                                           std::string* reason) {
    std::string why;
    bool added = false;
    if (!factory) {
        why = "no factory";
    } else {
        Entry entry;
        entry.m_type = factory->GetNodeType();
        entry.m_name = factory->GetName();
        entry.m_factory = factory;
        entry.m_source = source;
        added = Add(std::move(entry), why);
    }
    if (!added && reason) {
        *reason = why;
    }
    return added;
}

std::vector<std::string> NodeTypeRegistry::RegisterAll(
    const std::vector<NodeInterface*>& node_interfaces, const std::string& source) {
    std::vector<std::string> refusals;
    std::vector<Entry> entries;
    entries.reserve(node_interfaces.size());
    for (NodeInterface* node_interface : node_interfaces) {
        std::string reason;
        if (std::optional<Entry> entry = Describe(node_interface, source, reason)) {
            entries.push_back(std::move(*entry));
        } else {
            refusals.push_back(std::move(reason));
        }
    }
    for (Entry& entry : entries) {
        std::string reason;
        if (!Add(std::move(entry), reason)) {
            refusals.push_back(std::move(reason));
        }
    }
    return refusals;
}

const NodeTypeRegistry::Entry* NodeTypeRegistry::Find(const NodeType& type) const {
    const auto found = m_index.find(type);
    return found == m_index.end() ? nullptr : found->second;
}

std::vector<const NodeTypeRegistry::Entry*> NodeTypeRegistry::GetEntries() const {
    std::vector<const Entry*> entries;
    entries.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        entries.push_back(&entry);
    }
    return entries;
}

Node* NodeTypeRegistry::CreateNode(const NodeType& type) const {
    const Entry* entry = Find(type);
    return entry ? entry->m_factory->CreateNode() : nullptr;
}
