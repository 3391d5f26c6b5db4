#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeTypeRegistry.h"

// Factory of a test node class with a static Type().
template <typename NodeClass>
class TestNodeFactory : public NodeFactory {
public:
    NodeType GetNodeType() const override { return NodeClass::Type(); }
    Node* CreateNode() override { return new NodeClass(); }
    std::string GetName() const override { return "test node"; }

    // Registers the class once per process; false when its type was taken by another.
    static bool Register() {
        static const bool registered =
            NodeTypeRegistry::Get().RegisterUnpublished(new TestNodeFactory(), "project_tests");
        return registered;
    }
};
