#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Update.h"
#include "tests/hostlib/engine/TestNode.h"

// Starts each test with an empty event queue and keeps the nodes made by Make alive until its end.
class EngineTest : public ::testing::Test {
protected:
    using Link = std::pair<Node*, uint32_t>;

    void SetUp() override { Update::Get()->FlushEventsToProcess(); }

    TestNode* Make(int num_attributes, int num_inputs, int num_outplugs, bool expanding = false) {
        return m_nodes
            .emplace_back(new TestNode(num_attributes, num_inputs, num_outplugs, expanding))
            .Get();
    }
    static bool Connect(Node* from, uint32_t outplug, Node* to, uint32_t inplug) {
        return Engine::Get()->ConnectNodes(from, outplug, to, inplug);
    }
    // Returns the number of outplugs computed.
    static int Evaluate(const std::vector<NodeOutplugEval>& outplugs) {
        EvaluateNodeOutplugs evaluator(outplugs);
        int steps = 0;
        while (evaluator.EvaluateNextStep()) {
            ++steps;
        }
        return steps;
    }
    static double Result(Node* node, uint32_t outplug = 0) {
        Node::Value value = node->LockValue(outplug);
        return value.m_type == Node::Value::Number ? value.m_number : -1.0;
    }
    // The source's record of its outgoing connection k.
    static Link Outgoing(const Node* source, uint32_t k) {
        return {source->GetOutplugConnectionNode(k), source->GetOuplugConnectionNodeInplugId(k)};
    }

    std::vector<RefPtr<TestNode>> m_nodes;
};
