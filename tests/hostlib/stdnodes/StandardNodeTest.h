#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

// A graph to build standard nodes into, and evaluation through the engine as the host does it.
class StandardNodeTest : public ::testing::Test {
protected:
    template <typename NodeClass, typename... Args>
    NodeClass* Add(Args&&... args) {
        auto* node = new NodeClass(std::forward<Args>(args)...);
        m_graph->AddNode(node);
        return node;
    }

    // Connects outplug 0 of `from` to the inplug of that name.
    void Connect(Node* from, Node* to, const std::string& inplug) {
        const uint32_t id = to->FindInplug(inplug);
        ASSERT_NE(id, Node::kNone) << inplug;
        ASSERT_TRUE(Engine::Get()->ConnectNodes(from, 0, to, id)) << inplug;
    }

    // Evaluates outplug 0 and returns its stored value (the lock released).
    static Node::Value Evaluate(Node* node) {
        EvaluateNodeOutplugs evaluation({{node, 0, false}});
        evaluation.EvaluateAll();
        Node::Value value = node->LockValue(0);
        node->ReleaseValue(value);
        return value;
    }

    static void SetNumber(Node* node, const std::string& name, double value) {
        node->GetAttribute(name)->SetNumber(value, false);
    }

    RefPtr<NodeGraph> m_graph{new NodeGraph};
};
