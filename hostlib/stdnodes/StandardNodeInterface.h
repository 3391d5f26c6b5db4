#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"

// Describes a standard node type: name, category and the factory it owns. No panel of its own
// and no icons.
class StandardNodeInterface : public NodeInterface {
public:
    StandardNodeInterface(NodeFactory* factory, std::string category);

    NodeFactory* GetFactory() const override;
    std::string GetName() const override;
    NodeType GetNodeType() const override;
    std::string GetCategory() const override;

private:
    RefPtr<NodeFactory> m_factory;
    std::string m_category;
};
