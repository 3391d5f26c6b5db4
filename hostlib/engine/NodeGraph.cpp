#include "host/NodeGraph.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>

#include "host/Engine.h"
#include "host/NodeTypeRegistry.h"

NodeGraph::NodeGraph() = default;

NodeGraph::~NodeGraph() {
    Clear();
}

Node* NodeGraph::GetNode(size_t index) const {
    return index < m_nodes.size() ? m_nodes[index].Get() : nullptr;
}

size_t NodeGraph::IndexOf(const Node* node) const {
    auto found = std::find(m_nodes.begin(), m_nodes.end(), node);
    return found == m_nodes.end() ? kNone : size_t(found - m_nodes.begin());
}

Node* NodeGraph::FindNode(const std::string& name) const {
    for (const RefPtr<Node>& node : m_nodes) {
        if (node->GetName() == name) {
            return node.Get();
        }
    }
    return nullptr;
}

Node* NodeGraph::CreateNode(const NodeType& type, uint32_t position) {
    Node* node = NodeTypeRegistry::Get().CreateNode(type);
    if (node) {
        AddNode(node, position);
    }
    return node;
}

bool NodeGraph::AddNode(Node* node, uint32_t position) {
    if (!node || node->m_graph) {
        return false;
    }
    m_nodes.insert(m_nodes.begin() + std::min<size_t>(position, m_nodes.size()),
                   RefPtr<Node>(node));
    node->m_graph = this;
    Engine::Get()->NoteStructureChange();
    return true;
}

bool NodeGraph::DeleteNode(Node* node) {
    const size_t index = IndexOf(node);
    if (index == kNone) {
        return false;
    }
    Engine::Get()->DisconnectAll(node);
    node->m_graph = nullptr;
    m_nodes.erase(m_nodes.begin() + index);
    Engine::Get()->NoteStructureChange();
    return true;
}

void NodeGraph::Clear() {
    // Disconnect everything first, so that no node is released while another still points at it.
    for (const RefPtr<Node>& node : m_nodes) {
        Engine::Get()->DisconnectAll(node.Get());
        node->m_graph = nullptr;
    }
    // Moved out before the release, so that a destructor that looks at the graph finds it empty.
    std::vector<RefPtr<Node>> nodes = std::move(m_nodes);
    m_nodes.clear();
    Engine::Get()->NoteStructureChange();
}

bool NodeGraph::ConnectNodes(Node* from, const std::string& outplug_name, uint32_t from_index,
                             Node* to, const std::string& inplug_name, uint32_t to_index) {
    if (!from || !to) {
        return false;
    }
    const uint32_t outplug = from->FindOutplug(outplug_name, from_index);
    const uint32_t inplug = to->FindInplug(inplug_name, to_index);
    if (outplug == Node::kNone || inplug == Node::kNone) {
        return false;
    }
    return Engine::Get()->ConnectNodes(from, outplug, to, inplug);
}

void NodeGraph::SetFilePath(const std::string& path) {
    m_file_path = path.empty() ? std::string() : boost::filesystem::absolute(path).string();
}
