#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeType.h"

// Base of the library's factories: answers with the type and display name of the one node type a
// subclass makes. `type` and `name` must outlive the factory (the library's constants do).
class ProjectNodeFactory : public NodeFactory {
public:
    NodeType GetNodeType() const override;
    std::string GetName() const override;

protected:
    ProjectNodeFactory(const NodeType& type, const std::string& name);

private:
    const NodeType& m_type;
    const std::string& m_name;
};
