#include <algorithm>

#include "tests/hostlib/engine/EngineTest.h"

using EvaluateNodeOutplugsTest = EngineTest;

TEST_F(EvaluateNodeOutplugsTest, ReusesCleanOutplugsAndRecomputesDownstreamOfAChange) {
    std::vector<Node*> order;
    TestNode* a = Source(5);
    TestNode* b = Make(0, 1, 1);
    TestNode* c = Make(1, 2, 1);
    TestNode* x = Source(0);
    TestNode* y = Make(0, 1, 1);
    for (TestNode* node : {a, b, c, x, y}) {
        node->m_on_evaluate = [&order, node](uint32_t) { order.push_back(node); };
    }
    ASSERT_TRUE(Connect(a, 0, b, 0));
    ASSERT_TRUE(Connect(b, 0, c, 1));
    ASSERT_TRUE(Connect(a, 0, c, 2));
    ASSERT_TRUE(Connect(x, 0, y, 0));
    c->SetA0(0.5);
    const std::vector<NodeOutplugEval> targets = {{c, 0}, {y, 0}};

    EXPECT_EQ(Evaluate(targets), 5);
    EXPECT_EQ(order, (std::vector<Node*>{a, b, c, x, y}));
    EXPECT_EQ(Result(c), 10.5);
    EXPECT_EQ(Evaluate(targets), 0);  // nothing changed, nothing computed

    // A change recomputes exactly what lies downstream of it.
    order.clear();
    b->SetDirtyAllOutplugs();
    EXPECT_EQ(Evaluate(targets), 2);
    EXPECT_EQ(order, (std::vector<Node*>{b, c}));
}

TEST_F(EvaluateNodeOutplugsTest, InputValuesFollowConnectionsAndNeeds) {
    TestNode* first = Source(3);
    TestNode* second = Source(4);
    TestNode* node = Make(1, 3, 2);
    node->m_plug_wise = true;  // outplug k needs regular input k only
    node->SetA0(0.25);
    ASSERT_TRUE(Connect(first, 0, node, 1));
    ASSERT_TRUE(Connect(second, 0, node, 2));

    EXPECT_EQ(Evaluate({{node, 0}}), 2);
    EXPECT_EQ(second->m_num_evaluations, 0);
    EXPECT_EQ(Result(node, 0), 0.25 + 3);  // the attribute's own value and the needed input
    EXPECT_EQ(Evaluate({{node, 0}, {node, 1}}), 2);
    EXPECT_EQ(first->m_num_evaluations, 1);
    EXPECT_EQ(Result(node, 1), 1 + 0.25 + 3 + 4);

    // A dirty source that is not needed reads as empty, not as its old value.
    second->SetDirtyAllOutplugs();
    EXPECT_EQ(Evaluate({{node, 0}}), 1);
    EXPECT_TRUE(node->m_last_values[2]->IsEmpty());
    EXPECT_EQ(Result(node, 0), 0.25 + 3);
    // The attribute inplug follows the attribute without an evaluation in between.
    node->SetA0(-1);
    EXPECT_EQ(Evaluate({{node, 0}, {node, 1}}), 3);
    EXPECT_EQ(Result(node, 1), 1 - 1 + 3 + 4);
}

TEST_F(EvaluateNodeOutplugsTest, StatesKeepEveryReportSinceTheEvaluationBeganAndCyclesAreOne) {
    using Reports = std::vector<Node::StateReport>;
    auto equal = [](const Reports& reports, const Reports& expected) {
        return std::equal(reports.begin(), reports.end(), expected.begin(), expected.end(),
                          [](const Node::StateReport& a, const Node::StateReport& b) {
                              return a.m_state == b.m_state && a.m_message == b.m_message;
                          });
    };
    TestNode* node = Make(1, 0, 2);
    // Outplug 0 reports as many failures as the attribute says; state 0 is not a report.
    node->m_on_evaluate = [node](uint32_t k) {
        for (int failure = 0; k == 0 && failure < node->m_attributes[0]->GetInteger(); ++failure) {
            node->SetState(0, Node::State(2 - failure), "failure " + std::to_string(failure));
        }
    };
    node->SetA0(2);
    Evaluate({{node, 0}, {node, 1}});
    EXPECT_TRUE(equal(node->GetStateReports(0), {{2, "failure 0"}, {1, "failure 1"}}));
    EXPECT_EQ(node->GetStateMessage(0), "failure 1");  // the last one set
    EXPECT_TRUE(node->GetStateReports(1).empty() && node->GetStateReports(7).empty());

    // A cycle is reported on each of its outplugs, after what the node itself said.
    TestNode* a = Make(1, 1, 1);
    TestNode* b = Make(0, 1, 1);
    TestNode* after = Make(0, 1, 1);
    TestNode* self = Make(0, 1, 1);
    a->SetA0(2);
    ASSERT_TRUE(Connect(a, 0, b, 0));
    ASSERT_TRUE(Connect(b, 0, a, 1));
    ASSERT_TRUE(Connect(b, 0, after, 0));
    ASSERT_TRUE(Connect(self, 0, self, 0));
    self->m_on_evaluate = [self](uint32_t) { self->SetState(0, 1, "own"); };
    EXPECT_EQ(Evaluate({{after, 0}, {self, 0}}), 4);
    EXPECT_TRUE(equal(self->GetStateReports(0), {{1, "own"}, {2, "Cycle in the node graph."}}));
    for (Node* looped : {a, b}) {
        EXPECT_EQ(looped->GetState(), 2u);
        EXPECT_EQ(looped->GetStateMessage(), "Cycle in the node graph.");
    }
    EXPECT_EQ(after->GetState(), 0u);
    // The cycle closed at b, so a was computed with its input from b left empty.
    EXPECT_EQ((std::vector<double>{Result(a), Result(b), Result(after)}), std::vector(3, 2.0));
    // Breaking the cycle clears the state on the next evaluation.
    ASSERT_TRUE(Disconnect(a, 1));
    EXPECT_EQ(Evaluate({{after, 0}}), 3);
    EXPECT_EQ(a->GetState() + b->GetState(), 0u);
}
