#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "host/NodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNode.h"

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
