#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeType.h"

// The factory the registry keeps for a plug-in's unpublished node type: it calls the plug-in's
// creation function. The function lives in the plug-in, which stays loaded for the life of the
// process once it registered anything.
class FunctionNodeFactory : public NodeFactory {
public:
    FunctionNodeFactory(const NodeType& type, std::string name, Node* (*create)());
    NodeType GetNodeType() const override;
    Node* CreateNode() override;
    std::string GetName() const override;

private:
    NodeType m_type;
    std::string m_name;
    Node* (*m_create)();
};
