#include "hostlib/registry/ProjectFileNodeFactory.h"

#include <memory>

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"

namespace {
const NodeType kNodeGraphType(10, 1, 5);
}

ProjectFileNodeFactory::ProjectFileNodeFactory(const NodeType& type, std::string name,
                                               std::string path)
    : m_type(type), m_name(std::move(name)), m_path(std::move(path)) {}

NodeType ProjectFileNodeFactory::GetNodeType() const {
    return m_type;
}

Node* ProjectFileNodeFactory::CreateNode() {
    // Nodes start without a reference; the caller takes the first.
    std::unique_ptr<Node> node(NodeTypeRegistry::Get().CreateNode(kNodeGraphType));
    if (node) {
        node->InitFromProject(m_name, m_type, m_path);
    }
    return node.release();
}

std::string ProjectFileNodeFactory::GetName() const {
    return m_name;
}
