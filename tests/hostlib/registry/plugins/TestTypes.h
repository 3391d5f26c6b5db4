#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Node.h"
#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"

// A node without plugs that reports the type it was made for.
class TestNode : public Node {
public:
    TestNode(const NodeType& type, std::string type_name)
        : m_type(type), m_type_name(std::move(type_name)) {
        UpdateInplugsAndOutplugs();
    }
    NodeType GetNodeType() const override { return m_type; }
    std::string GetTypeName() const override { return m_type_name; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}

private:
    NodeType m_type;
    std::string m_type_name;
};

// Makes TestNodes of one type, or throws std::runtime_error from CreateNode when told to.
class TestNodeFactory : public NodeFactory {
public:
    TestNodeFactory(const NodeType& type, std::string name, bool throws = false)
        : m_type(type), m_name(std::move(name)), m_throws(throws) {}
    NodeType GetNodeType() const override { return m_type; }
    Node* CreateNode() override {
        if (m_throws) {
            throw std::runtime_error("cannot make a " + m_name + " node");
        }
        return new TestNode(m_type, m_name);
    }
    std::string GetName() const override { return m_name; }

private:
    NodeType m_type;
    std::string m_name;
    bool m_throws;
};

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
