#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeType.h"

// Makes the nodes of a project type: a node of the Node Graph type, made to stand for the project.
class ProjectFileNodeFactory : public NodeFactory {
public:
    ProjectFileNodeFactory(const NodeType& type, std::string name, std::string path);
    NodeType GetNodeType() const override;
    // Null when no Node Graph node can be made.
    Node* CreateNode() override;
    std::string GetName() const override;

private:
    NodeType m_type;
    std::string m_name;
    std::string m_path;
};
