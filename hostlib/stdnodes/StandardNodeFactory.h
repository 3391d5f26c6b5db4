#pragma once

#include <string>

#include "host/NodeFactory.h"

// Makes nodes of one standard type through a creation function.
class StandardNodeFactory : public NodeFactory {
public:
    using CreateFunction = Node* (*)();

    StandardNodeFactory(const NodeType& node_type, std::string name, CreateFunction create);

    NodeType GetNodeType() const override;
    Node* CreateNode() override;
    std::string GetName() const override;

private:
    NodeType m_node_type;
    std::string m_name;
    CreateFunction m_create;
};
