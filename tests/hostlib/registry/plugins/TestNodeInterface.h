#pragma once

#include <string>
#include <utility>

#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"

// Describes a type with the given name and factory (which may be null or make another type);
// everything else keeps the NodeInterface defaults.
class TestNodeInterface : public NodeInterface {
public:
    TestNodeInterface(const NodeType& type, std::string name, NodeFactory* factory)
        : m_type(type), m_name(std::move(name)), m_factory(factory) {}

    NodeFactory* GetFactory() const override { return m_factory.Get(); }
    std::string GetName() const override { return m_name; }
    NodeType GetNodeType() const override { return m_type; }

private:
    NodeType m_type;
    std::string m_name;
    RefPtr<NodeFactory> m_factory;
};
