#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Node.h"
#include "host/Update.h"

// Number node with NUMBER attributes "a0", "a1"..., number inputs "in" (optionally expanding) and
// number outplugs "out0", "out1"... Outplug k yields k plus the sum of all inplug values. With
// m_plug_wise set, outplug k depends on regular input k only.
class TestNode : public Node {
public:
    TestNode(int num_attributes, int num_inputs, int num_outplugs, bool expanding = false) {
        for (int a = 0; a < num_attributes; ++a) {
            m_attributes.emplace_back(
                new Attribute(this, a, "a" + std::to_string(a), 0.0, -1e9, 1e9, 1.0, 2));
        }
        for (int i = 0; i < num_inputs; ++i) {
            m_inplug_declarations.push_back({uint32_t(i), Value::Number, "in", 0, expanding});
        }
        for (int k = 0; k < num_outplugs; ++k) {
            m_outplug_declarations.push_back(
                {uint32_t(k), Value::Number, "out" + std::to_string(k), 0});
        }
        m_results.resize(num_outplugs);
        UpdateInplugsAndOutplugs();
    }

    NodeType GetNodeType() const override { return NodeType(99, 0, 0); }
    std::string GetTypeName() const override { return "Test"; }
    bool InplugAffectsOutplug(uint32_t inplug, uint32_t outplug) const override {
        ++m_num_questions;
        return !m_plug_wise || inplug == GetInplugIdFromRegularInputId(outplug);
    }
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& values) override {
        ++m_num_evaluations;
        m_last_values = values;
        m_results[outplug] = outplug;
        for (const Value* value : values) {
            m_results[outplug] += value->m_type == Value::Number ? value->m_number : 0.0;
        }
        if (m_on_evaluate) {
            m_on_evaluate(outplug);
        }
    }
    double GetNumberValue(uint32_t outplug) override { return m_results.at(outplug); }
    void SetA0(double value) { m_attributes[0]->SetNumber(value, false); }

    using Node::m_attributes;
    using Node::m_inplug_declarations;
    using Node::m_outplug_declarations;

    int m_num_evaluations = 0;
    bool m_plug_wise = false;
    mutable int m_num_questions = 0;  // InplugAffectsOutplug calls
    std::vector<double> m_results;
    std::vector<const Value*> m_last_values;
    std::function<void(uint32_t)> m_on_evaluate;
};

// Starts each test with an empty event queue and keeps the nodes made by Make alive until its end.
class EngineTest : public ::testing::Test {
protected:
    using Link = std::pair<Node*, uint32_t>;

    void SetUp() override { Flush(); }

    TestNode* Make(int num_attributes, int num_inputs, int num_outplugs, bool expanding = false) {
        return m_nodes
            .emplace_back(new TestNode(num_attributes, num_inputs, num_outplugs, expanding))
            .Get();
    }
    // A node without inputs whose outplug yields `value`.
    TestNode* Source(double value) {
        TestNode* node = Make(1, 0, 1);
        node->SetA0(value);
        return node;
    }
    static void Flush() { Update::Get()->FlushEventsToProcess(); }
    static bool Connect(Node* from, uint32_t outplug, Node* to, uint32_t inplug) {
        return Engine::Get()->ConnectNodes(from, outplug, to, inplug);
    }
    static bool Disconnect(Node* to, uint32_t inplug) {
        return Engine::Get()->DisconnectInplug(to, inplug);
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
    // The source's records of its outgoing connections, as target and inplug.
    static std::vector<Link> Targets(const Node* source) {
        std::vector<Link> targets;
        for (uint32_t k = 0; k < source->GetNumConnectedToOutplug(); ++k) {
            targets.emplace_back(source->GetOutplugConnectionNode(k),
                                 source->GetOuplugConnectionNodeInplugId(k));
        }
        return targets;
    }
    // The source of every inplug, null where none is connected.
    static std::vector<Node*> Sources(const Node* node) {
        std::vector<Node*> sources;
        for (uint32_t inplug = 0; inplug < node->GetNumInplugs(); ++inplug) {
            sources.push_back(node->GetInplugNode(inplug));
        }
        return sources;
    }

    std::vector<RefPtr<TestNode>> m_nodes;
};
