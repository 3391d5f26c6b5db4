#pragma once

#include <string>
#include <utility>

#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"

// Describes a type with the given name and factory (which may be null or make another type), and
// fixed, distinct category, icons and display mode.
class TestNodeInterface : public NodeInterface {
public:
    TestNodeInterface(const NodeType& type, std::string name, NodeFactory* factory)
        : m_type(type), m_name(std::move(name)), m_factory(factory) {}

    NodeFactory* GetFactory() const override { return m_factory.Get(); }
    std::string GetName() const override { return m_name; }
    NodeType GetNodeType() const override { return m_type; }
    std::string GetCategory() const override { return "Test"; }
    std::string GetIconPath() const override { return ":/Test/Node.png"; }
    std::string GetSmallIconPath() const override { return ":/Test/Node12.png"; }
    std::string GetDisplayMode() const override { return "mask"; }

private:
    NodeType m_type;
    std::string m_name;
    RefPtr<NodeFactory> m_factory;
};
