#include <memory>

#include "host/NodeGraph.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

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
        for (auto& list : m_lists) {
            list = std::make_unique<std::vector<BezierSpline*>>();
        }
    }
    std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug) override {
        return m_lists[outplug].get();
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

using EvaluateNodeOutplugsTest = EngineTest;

}  // namespace

TEST_F(EvaluateNodeOutplugsTest, ReusesCleanOutplugsAndRecomputesDownstreamOfAChange) {
    std::vector<Node*> order;
    TestNode* a = Make(1, 0, 1);
    TestNode* b = Make(0, 1, 1);
    TestNode* c = Make(1, 2, 1);
    TestNode* x = Make(1, 0, 1);
    TestNode* y = Make(0, 1, 1);
    for (TestNode* node : {a, b, c, x, y}) {
        node->m_on_evaluate = [&order, node](uint32_t) { order.push_back(node); };
    }
    ASSERT_TRUE(Connect(a, 0, b, 0));
    ASSERT_TRUE(Connect(b, 0, c, 1));
    ASSERT_TRUE(Connect(a, 0, c, 2));
    ASSERT_TRUE(Connect(x, 0, y, 0));
    a->GetAttribute("a0")->SetNumber(5, false);
    c->GetAttribute("a0")->SetNumber(0.5, false);
    const std::vector<NodeOutplugEval> targets = {{c, 0}, {y, 0}};

    EXPECT_EQ(Evaluate(targets), 5);
    EXPECT_EQ(order, (std::vector<Node*>{a, b, c, x, y}));
    EXPECT_EQ(Result(c), 10.5);
    EXPECT_EQ(Evaluate(targets), 0);  // nothing changed, nothing computed

    // A change recomputes exactly what lies downstream of it.
    order.clear();
    b->SetDirtyAllOutplugs();
    EXPECT_FALSE(a->IsOutplugDirty(0));
    EXPECT_TRUE(c->IsOutplugDirty(0));
    EXPECT_EQ(Evaluate(targets), 2);
    EXPECT_EQ(order, (std::vector<Node*>{b, c}));

    // The active flag dirties as well; an inactive node is still called.
    order.clear();
    x->SetActive(false);
    EXPECT_EQ(Evaluate(targets), 2);
    EXPECT_EQ(order, (std::vector<Node*>{x, y}));
}

TEST_F(EvaluateNodeOutplugsTest, InputValuesFollowConnectionsAndNeeds) {
    TestNode* first = Make(1, 0, 1);
    TestNode* second = Make(1, 0, 1);
    TestNode* node = Make(1, 3, 2);
    node->m_plug_wise = true;  // outplug k needs regular input k only
    first->GetAttribute("a0")->SetNumber(3, false);
    second->GetAttribute("a0")->SetNumber(4, false);
    node->GetAttribute("a0")->SetNumber(0.25, false);
    ASSERT_TRUE(Connect(first, 0, node, 1));
    ASSERT_TRUE(Connect(second, 0, node, 2));

    EXPECT_EQ(Evaluate({{node, 0}}), 2);
    EXPECT_EQ(second->m_num_evaluations, 0);
    const std::vector<const Node::Value*>& values = node->m_last_values;
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0]->m_type, Node::Value::Number);  // the unconnected attribute's own value
    EXPECT_EQ(values[0]->m_number, 0.25);
    EXPECT_EQ(values[1]->m_number, 3.0);
    EXPECT_TRUE(values[2]->IsEmpty());  // source not needed, so not computed
    EXPECT_TRUE(values[3]->IsEmpty());  // unconnected regular input
    EXPECT_EQ(Result(node, 0), 3.25);

    EXPECT_EQ(Evaluate({{node, 0}, {node, 1}}), 2);
    EXPECT_EQ(first->m_num_evaluations, 1);
    EXPECT_EQ(node->m_num_evaluations, 2);
    EXPECT_EQ(Result(node, 1), 1 + 3 + 4 + 0.25);

    // The attribute inplug follows the attribute without an evaluation in between.
    node->GetAttribute("a0")->SetNumber(-1, false);
    EXPECT_EQ(Evaluate({{node, 1}}), 1);
    EXPECT_EQ(Result(node, 1), 1 + 3 + 4 - 1);
}

TEST_F(EvaluateNodeOutplugsTest, ValueLocks) {
    TestNode* node = Make(1, 0, 1);
    node->GetAttribute("a0")->SetNumber(2, false);
    Evaluate({{node, 0}});

    Node::Value held = node->LockValue(0);
    EXPECT_EQ(held.m_number, 2.0);
    EXPECT_EQ(held.m_owner, node);
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
    Evaluate({{node, 0}});
    EXPECT_EQ(Result(node), 3.0);
}

TEST_F(EvaluateNodeOutplugsTest, CycleTerminatesWithStateOnItsOutplugs) {
    TestNode* a = Make(1, 1, 1);
    TestNode* b = Make(0, 1, 1);
    TestNode* after = Make(0, 1, 1);
    TestNode* self = Make(0, 1, 1);
    a->GetAttribute("a0")->SetNumber(2, false);
    ASSERT_TRUE(Connect(a, 0, b, 0));
    ASSERT_TRUE(Connect(b, 0, a, 1));
    ASSERT_TRUE(Connect(b, 0, after, 0));
    ASSERT_TRUE(Connect(self, 0, self, 0));

    EXPECT_EQ(Evaluate({{after, 0}, {self, 0}}), 4);
    for (Node* node : {a, b, self}) {
        EXPECT_EQ(node->GetState(), 2u);
        EXPECT_EQ(node->GetStateMessage(), "Cycle in the node graph.");
    }
    EXPECT_EQ(after->GetState(), 0u);
    // The cycle closed at b, so a was computed with its input from b left empty.
    for (Node* node : {a, b, after}) {
        EXPECT_EQ(Result(node), 2.0);
    }

    // Breaking the cycle clears the state on the next evaluation.
    ASSERT_TRUE(Engine::Get()->DisconnectInplug(a, 1));
    EXPECT_EQ(Evaluate({{after, 0}}), 3);
    EXPECT_EQ(a->GetState(), 0u);
    EXPECT_EQ(b->GetState(), 0u);
}

TEST_F(EvaluateNodeOutplugsTest, StatesAreResetBeforeEachEvaluation) {
    TestNode* node = Make(1, 0, 2);
    node->m_on_evaluate = [&](uint32_t outplug) {
        if (node->GetAttribute("a0")->GetNumber() < 0) {
            node->SetState(outplug, 1 + outplug, "negative " + std::to_string(outplug));
        }
    };
    node->GetAttribute("a0")->SetNumber(-1, false);
    Evaluate({{node, 0}, {node, 1}});
    EXPECT_EQ(node->GetState(), 2u);
    EXPECT_EQ(node->GetState(0), 1u);
    EXPECT_EQ(node->GetStateMessage(), "negative 1");
    EXPECT_EQ(node->GetStateMessage(0), "negative 0");

    node->GetAttribute("a0")->SetNumber(1, false);
    Evaluate({{node, 0}});
    EXPECT_EQ(node->GetState(0), 0u);
    EXPECT_EQ(node->GetStateMessage(0), "");
    EXPECT_EQ(node->GetState(), 2u);  // outplug 1 was not evaluated again
}

TEST_F(EvaluateNodeOutplugsTest, ChainOfOneHundredThousandNodes) {
    constexpr int kLength = 100000;
    RefPtr<NodeGraph> graph = new NodeGraph();
    TestNode* head = new TestNode(1, 0, 1);
    graph->AddNode(head);
    Node* last = head;
    for (int i = 1; i < kLength; ++i) {
        TestNode* node = new TestNode(0, 1, 1);
        graph->AddNode(node);
        ASSERT_TRUE(Connect(last, 0, node, 0));
        last = node;
    }
    for (double value : {1.5, 2.5}) {
        head->GetAttribute("a0")->SetNumber(value, false);
        EXPECT_TRUE(last->IsOutplugDirty(0));
        EXPECT_EQ(Evaluate({{last, 0}}), kLength);
        EXPECT_EQ(Result(last), value);
    }
}

TEST_F(EvaluateNodeOutplugsTest, NestedEvaluationWithReplacedInputs) {
    // Inner graph feed -> input -> output, where output adds its attribute. During each inner run
    // the outer node's input value replaces whatever feeds `input`.
    TestNode* feed = Make(1, 0, 1);
    TestNode* input = Make(0, 1, 1);
    TestNode* output = Make(1, 1, 1);
    ASSERT_TRUE(Connect(feed, 0, input, 0));
    ASSERT_TRUE(Connect(input, 0, output, 1));
    feed->GetAttribute("a0")->SetNumber(100, false);
    output->GetAttribute("a0")->SetNumber(10, false);

    TestNode* source = Make(1, 0, 1);
    TestNode* outer = Make(0, 1, 1);
    TestNode* after = Make(0, 1, 1);
    ASSERT_TRUE(Connect(source, 0, outer, 0));
    ASSERT_TRUE(Connect(outer, 0, after, 0));
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
            for (Node* node : {feed, input, output}) {
                node->SetDirtyAllOutplugs();
            }
        }
        outer->m_results[0] = carried.m_number;
    };

    EXPECT_EQ(Evaluate({{after, 0}}), 3);
    EXPECT_EQ(Result(after), 33.0);
    EXPECT_EQ(feed->m_num_evaluations, 0);
    EXPECT_EQ(input->m_num_evaluations, 3);
    EXPECT_EQ(output->GetNumValueLocks(), 0u);

    source->GetAttribute("a0")->SetNumber(4, false);
    EXPECT_EQ(Evaluate({{after, 0}}), 3);
    EXPECT_EQ(Result(after), 34.0);

    // Without a replacement the inner input reads its own source again.
    EXPECT_EQ(Evaluate({{output, 0}}), 3);
    EXPECT_EQ(Result(output), 110.0);
}

TEST_F(EvaluateNodeOutplugsTest, BorrowedPointersFollowTheNode) {
    RefPtr<CurvesNode> node = new CurvesNode();
    Evaluate({{node.Get(), 0}, {node.Get(), 1}});
    // Evaluating the second outplug replaced the first list too; the stored value follows.
    EXPECT_EQ(node->LockValue(0).m_type, Node::Value::Curve);
    EXPECT_EQ(node->LockValue(0).m_curves, node->m_lists[0].get());
    EXPECT_EQ(node->LockValue(1).m_curves, node->m_lists[1].get());

    node->ProcessEvent(kEventReleaseImages, 0);
    EXPECT_TRUE(node->LockValue(0).IsEmpty());
    EXPECT_TRUE(node->LockValue(1).IsEmpty());
    EXPECT_TRUE(node->IsOutplugDirty(0));
    EXPECT_EQ(Evaluate({{node.Get(), 0}}), 1);
    EXPECT_EQ(node->LockValue(0).m_curves, node->m_lists[0].get());
}
