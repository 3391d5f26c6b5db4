#include <gtest/gtest.h>

#include <memory>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeGraph.h"
#include "host/Update.h"
#include "tests/hostlib/engine/TestNode.h"

namespace {

bool Connect(Node* from, Node* to, uint32_t inplug) {
    return Engine::Get()->ConnectNodes(from, 0, to, inplug);
}

// Evaluates the outplugs and returns the number of steps taken.
int Evaluate(std::vector<NodeOutplugEval> outplugs) {
    EvaluateNodeOutplugs evaluator(outplugs);
    int steps = 0;
    while (evaluator.EvaluateNextStep()) {
        ++steps;
    }
    return steps;
}

double Result(Node* node, uint32_t outplug = 0) {
    Node::Value value = node->LockValue(outplug);
    return value.m_type == Node::Value::Number ? value.m_number : -1.0;
}

// Two curve outplugs; every evaluation replaces both lists, as a node that computes all its
// outputs at once does.
class CurvesNode : public Node {
public:
    CurvesNode() {
        m_outplug_declarations = {{0, Value::Curve, "first", 0}, {1, Value::Curve, "second", 0}};
        UpdateInplugsAndOutplugs();
    }
    NodeType GetNodeType() const override { return NodeType(99, 0, 1); }
    std::string GetTypeName() const override { return "Curves"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {
        m_lists[0] = std::make_unique<std::vector<BezierSpline*>>();
        m_lists[1] = std::make_unique<std::vector<BezierSpline*>>();
    }
    std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug) override {
        return outplug < 2 ? m_lists[outplug].get() : nullptr;
    }
    bool OnProcessEvent(NodeEvent event) override {
        if (event.m_type == kEventReleaseImages) {
            m_lists[0].reset();
            m_lists[1].reset();
        }
        return true;
    }

    std::unique_ptr<std::vector<BezierSpline*>> m_lists[2];
};

}  // namespace

TEST(EvaluateNodeOutplugsTest, ReusesCleanOutplugsAndRecomputesDownstreamOfAChange) {
    std::vector<Node*> order;
    auto log = [&](TestNode* node) {
        node->m_on_evaluate = [&order, node](uint32_t) { order.push_back(node); };
    };
    RefPtr<TestNode> a = new TestNode(1, 0, 1);
    RefPtr<TestNode> b = new TestNode(0, 1, 1);
    RefPtr<TestNode> c = new TestNode(1, 2, 1);
    RefPtr<TestNode> x = new TestNode(1, 0, 1);
    RefPtr<TestNode> y = new TestNode(0, 1, 1);
    for (TestNode* node : {a.Get(), b.Get(), c.Get(), x.Get(), y.Get()}) {
        log(node);
    }
    ASSERT_TRUE(Connect(a.Get(), b.Get(), 0));
    ASSERT_TRUE(Connect(b.Get(), c.Get(), 1));
    ASSERT_TRUE(Connect(a.Get(), c.Get(), 2));
    ASSERT_TRUE(Connect(x.Get(), y.Get(), 0));
    a->GetAttribute("a0")->SetNumber(5, false);
    c->GetAttribute("a0")->SetNumber(0.5, false);

    EXPECT_EQ(Evaluate({{c.Get(), 0}, {y.Get(), 0}}), 5);
    EXPECT_EQ(order, (std::vector<Node*>{a.Get(), b.Get(), c.Get(), x.Get(), y.Get()}));
    EXPECT_EQ(Result(c.Get()), 10.5);
    EXPECT_FALSE(c->IsOutplugDirty(0));

    // Nothing changed: nothing is computed.
    EXPECT_EQ(Evaluate({{c.Get(), 0}, {y.Get(), 0}}), 0);

    // An attribute change recomputes exactly what lies downstream of it.
    order.clear();
    b->SetDirtyAllOutplugs();
    EXPECT_TRUE(c->IsOutplugDirty(0));
    EXPECT_FALSE(a->IsOutplugDirty(0));
    EXPECT_EQ(Evaluate({{c.Get(), 0}, {y.Get(), 0}}), 2);
    EXPECT_EQ(order, (std::vector<Node*>{b.Get(), c.Get()}));

    order.clear();
    a->GetAttribute("a0")->SetNumber(1, false);
    EXPECT_EQ(Evaluate({{c.Get(), 0}, {y.Get(), 0}}), 3);
    EXPECT_EQ(order, (std::vector<Node*>{a.Get(), b.Get(), c.Get()}));
    EXPECT_EQ(Result(c.Get()), 2.5);

    // Connection changes and the active flag dirty as well; an inactive node is still called.
    order.clear();
    ASSERT_TRUE(Engine::Get()->DisconnectInplug(c.Get(), 2));
    x->SetActive(false);
    EXPECT_EQ(Evaluate({{c.Get(), 0}, {y.Get(), 0}}), 3);
    EXPECT_EQ(order, (std::vector<Node*>{c.Get(), x.Get(), y.Get()}));
    EXPECT_EQ(Result(c.Get()), 1.5);
    Update::Get()->FlushEventsToProcess();
}

TEST(EvaluateNodeOutplugsTest, InputValuesFollowConnectionsAndNeeds) {
    RefPtr<TestNode> first = new TestNode(1, 0, 1);
    RefPtr<TestNode> second = new TestNode(1, 0, 1);
    RefPtr<TestNode> node = new TestNode(1, 3, 2);
    node->m_plug_wise = true;  // outplug k needs regular input k only
    first->GetAttribute("a0")->SetNumber(3, false);
    second->GetAttribute("a0")->SetNumber(4, false);
    node->GetAttribute("a0")->SetNumber(0.25, false);
    ASSERT_TRUE(Connect(first.Get(), node.Get(), 1));
    ASSERT_TRUE(Connect(second.Get(), node.Get(), 2));

    EXPECT_EQ(Evaluate({{node.Get(), 0}}), 2);
    EXPECT_EQ(second->m_num_evaluations, 0);
    const std::vector<const Node::Value*>& values = node->m_last_values;
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0]->m_type, Node::Value::Number);  // the unconnected attribute's own value
    EXPECT_EQ(values[0]->m_number, 0.25);
    EXPECT_EQ(values[1]->m_number, 3.0);
    EXPECT_TRUE(values[2]->IsEmpty());  // source not needed, so not computed
    EXPECT_TRUE(values[3]->IsEmpty());  // unconnected regular input
    EXPECT_EQ(Result(node.Get(), 0), 3.25);

    EXPECT_EQ(Evaluate({{node.Get(), 0}, {node.Get(), 1}}), 2);
    EXPECT_EQ(first->m_num_evaluations, 1);
    EXPECT_EQ(node->m_num_evaluations, 2);
    EXPECT_EQ(Result(node.Get(), 1), 1 + 3 + 4 + 0.25);

    // The attribute inplug follows the attribute without an evaluation in between.
    node->GetAttribute("a0")->SetNumber(-1, false);
    EXPECT_EQ(Evaluate({{node.Get(), 1}}), 1);
    EXPECT_EQ(Result(node.Get(), 1), 1 + 3 + 4 - 1);
}

TEST(EvaluateNodeOutplugsTest, ValueLocks) {
    RefPtr<TestNode> node = new TestNode(1, 0, 1);
    node->GetAttribute("a0")->SetNumber(2, false);
    Evaluate({{node.Get(), 0}});

    Node::Value held = node->LockValue(0);
    EXPECT_EQ(held.m_number, 2.0);
    EXPECT_EQ(held.m_owner, node.Get());
    EXPECT_EQ(node->GetNumValueLocks(), 1u);
    {
        Node::Value second = node->LockValue(0);  // shared
        EXPECT_EQ(node->GetNumValueLocks(), 2u);
    }
    EXPECT_EQ(node->GetNumValueLocks(), 1u);

    Node::Value copy = held;  // a copy does not carry the lock
    node->ReleaseValue(copy);
    EXPECT_EQ(node->GetNumValueLocks(), 1u);
    Node::Value moved = std::move(held);  // a move does
    node->ReleaseValue(held);
    EXPECT_EQ(node->GetNumValueLocks(), 1u);
    node->ReleaseValue(moved);
    EXPECT_EQ(node->GetNumValueLocks(), 0u);
    node->ReleaseValue(moved);
    EXPECT_EQ(node->GetNumValueLocks(), 0u);

    Node::Value target = node->LockValue(0);
    target = node->LockValue(0);  // the old lock goes with the old value
    EXPECT_EQ(node->GetNumValueLocks(), 1u);
    target = copy;
    EXPECT_EQ(node->GetNumValueLocks(), 0u);
    EXPECT_TRUE(node->LockValue(7).IsEmpty());
    EXPECT_EQ(node->GetNumValueLocks(), 0u);

    // Unlocked, the evaluator can store a new value.
    node->GetAttribute("a0")->SetNumber(3, false);
    Evaluate({{node.Get(), 0}});
    EXPECT_EQ(Result(node.Get()), 3.0);
}

TEST(EvaluateNodeOutplugsTest, CycleTerminatesWithStateOnItsOutplugs) {
    RefPtr<TestNode> a = new TestNode(1, 1, 1);
    RefPtr<TestNode> b = new TestNode(0, 1, 1);
    RefPtr<TestNode> after = new TestNode(0, 1, 1);
    RefPtr<TestNode> self = new TestNode(0, 1, 1);
    a->GetAttribute("a0")->SetNumber(2, false);
    ASSERT_TRUE(Connect(a.Get(), b.Get(), 0));
    ASSERT_TRUE(Connect(b.Get(), a.Get(), 1));
    ASSERT_TRUE(Connect(b.Get(), after.Get(), 0));
    ASSERT_TRUE(Connect(self.Get(), self.Get(), 0));

    EXPECT_EQ(Evaluate({{after.Get(), 0}, {self.Get(), 0}}), 4);
    for (Node* node : {a.Get(), b.Get(), self.Get()}) {
        EXPECT_EQ(node->GetState(), 2u);
        EXPECT_EQ(node->GetStateMessage(), "Cycle in the node graph.");
    }
    EXPECT_EQ(after->GetState(), 0u);
    // The cycle closed at b, so a was computed with its input from b left empty.
    EXPECT_EQ(Result(a.Get()), 2.0);
    EXPECT_EQ(Result(b.Get()), 2.0);
    EXPECT_EQ(Result(after.Get()), 2.0);

    // Breaking the cycle clears the state on the next evaluation.
    ASSERT_TRUE(Engine::Get()->DisconnectInplug(a.Get(), 1));
    EXPECT_EQ(Evaluate({{after.Get(), 0}}), 3);
    EXPECT_EQ(a->GetState(), 0u);
    EXPECT_EQ(b->GetState(), 0u);
    Update::Get()->FlushEventsToProcess();
}

TEST(EvaluateNodeOutplugsTest, StatesAreResetBeforeEachEvaluation) {
    RefPtr<TestNode> node = new TestNode(1, 0, 2);
    node->m_on_evaluate = [&](uint32_t outplug) {
        if (node->GetAttribute("a0")->GetNumber() < 0) {
            node->SetState(outplug, 1 + outplug, "negative " + std::to_string(outplug));
        }
    };
    node->GetAttribute("a0")->SetNumber(-1, false);
    Evaluate({{node.Get(), 0}, {node.Get(), 1}});
    EXPECT_EQ(node->GetState(), 2u);
    EXPECT_EQ(node->GetState(0), 1u);
    EXPECT_EQ(node->GetStateMessage(), "negative 1");
    EXPECT_EQ(node->GetStateMessage(0), "negative 0");

    node->GetAttribute("a0")->SetNumber(1, false);
    Evaluate({{node.Get(), 0}});
    EXPECT_EQ(node->GetState(0), 0u);
    EXPECT_EQ(node->GetStateMessage(0), "");
    EXPECT_EQ(node->GetState(), 2u);  // outplug 1 was not evaluated again
}

TEST(EvaluateNodeOutplugsTest, ChainOfOneHundredThousandNodes) {
    constexpr int kLength = 100000;
    RefPtr<NodeGraph> graph = new NodeGraph();
    TestNode* head = new TestNode(1, 0, 1);
    graph->AddNode(head);
    Node* previous = head;
    for (int i = 1; i < kLength; ++i) {
        TestNode* node = new TestNode(0, 1, 1);
        graph->AddNode(node);
        ASSERT_TRUE(Connect(previous, node, 0));
        previous = node;
    }
    head->GetAttribute("a0")->SetNumber(1.5, false);
    EXPECT_EQ(Evaluate({{previous, 0}}), kLength);
    EXPECT_EQ(Result(previous), 1.5);

    head->GetAttribute("a0")->SetNumber(2.5, false);
    EXPECT_TRUE(previous->IsOutplugDirty(0));
    EXPECT_EQ(Evaluate({{previous, 0}}), kLength);
    EXPECT_EQ(Result(previous), 2.5);
    Update::Get()->FlushEventsToProcess();
}

TEST(EvaluateNodeOutplugsTest, NestedEvaluationWithReplacedInputs) {
    // Inner graph: feed -> input -> output, with `output` adding its attribute. The input's own
    // source is replaced by the outer node's input value during each inner run.
    RefPtr<NodeGraph> inner = new NodeGraph();
    TestNode* feed = new TestNode(1, 0, 1);
    TestNode* input = new TestNode(0, 1, 1);
    TestNode* output = new TestNode(1, 1, 1);
    for (Node* node :
         {static_cast<Node*>(feed), static_cast<Node*>(input), static_cast<Node*>(output)}) {
        inner->AddNode(node);
    }
    ASSERT_TRUE(Connect(feed, input, 0));
    ASSERT_TRUE(Connect(input, output, 1));
    feed->GetAttribute("a0")->SetNumber(100, false);
    output->GetAttribute("a0")->SetNumber(10, false);

    RefPtr<TestNode> source = new TestNode(1, 0, 1);
    RefPtr<TestNode> outer = new TestNode(0, 1, 1);
    RefPtr<TestNode> after = new TestNode(0, 1, 1);
    ASSERT_TRUE(Connect(source.Get(), outer.Get(), 0));
    ASSERT_TRUE(Connect(outer.Get(), after.Get(), 0));
    source->GetAttribute("a0")->SetNumber(3, false);

    // Three runs, each feeding the previous result back in, like a looping sub-graph node.
    outer->m_on_evaluate = [&](uint32_t) {
        Node::Value carried = *outer->m_last_values[0];
        for (int run = 0; run < 3; ++run) {
            EvaluateNodeOutplugs evaluator({{output, 0}});
            evaluator.ReplaceNodeInplugValues({{input, &carried}});
            evaluator.EvaluateAll();
            Node::Value locked = output->LockValue(0);
            carried = locked;  // a copy: the lock must not outlive this run
            output->ReleaseValue(locked);
            for (size_t n = 0; n < inner->GetNumNodes(); ++n) {
                inner->GetNode(n)->SetDirtyAllOutplugs();
            }
        }
        outer->m_results[0] = carried.m_number;
    };

    EXPECT_EQ(Evaluate({{after.Get(), 0}}), 3);
    EXPECT_EQ(Result(after.Get()), 33.0);
    EXPECT_EQ(feed->m_num_evaluations, 0);
    EXPECT_EQ(input->m_num_evaluations, 3);
    EXPECT_EQ(output->GetNumValueLocks(), 0u);

    source->GetAttribute("a0")->SetNumber(4, false);
    EXPECT_EQ(Evaluate({{after.Get(), 0}}), 3);
    EXPECT_EQ(Result(after.Get()), 34.0);

    // Without a replacement the inner input reads its own source again.
    EXPECT_EQ(Evaluate({{output, 0}}), 3);
    EXPECT_EQ(Result(output), 110.0);
    Update::Get()->FlushEventsToProcess();
}

TEST(EvaluateNodeOutplugsTest, BorrowedPointersFollowTheNode) {
    RefPtr<CurvesNode> node = new CurvesNode();
    Evaluate({{node.Get(), 0}, {node.Get(), 1}});
    // Evaluating the second outplug replaced the first list too; the stored value follows.
    EXPECT_EQ(node->LockValue(0).m_curves, node->m_lists[0].get());
    EXPECT_EQ(node->LockValue(1).m_curves, node->m_lists[1].get());
    EXPECT_EQ(node->LockValue(0).m_type, Node::Value::Curve);

    node->ProcessEvent(kEventReleaseImages, 0);
    EXPECT_TRUE(node->LockValue(0).IsEmpty());
    EXPECT_TRUE(node->LockValue(1).IsEmpty());
    EXPECT_TRUE(node->IsOutplugDirty(0));
    EXPECT_EQ(Evaluate({{node.Get(), 0}}), 1);
    EXPECT_EQ(node->LockValue(0).m_curves, node->m_lists[0].get());
}
