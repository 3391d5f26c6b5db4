#include "hostlib/stdnodes/StandardNodeFactory.h"

StandardNodeFactory::StandardNodeFactory(const NodeType& node_type, std::string name,
                                         CreateFunction create)
    : m_node_type(node_type), m_name(std::move(name)), m_create(create) {}

NodeType StandardNodeFactory::GetNodeType() const {
    return m_node_type;
}

Node* StandardNodeFactory::CreateNode() {
    return m_create();
}

std::string StandardNodeFactory::GetName() const {
    return m_name;
}
