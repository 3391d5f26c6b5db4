#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/EvaluationControl.h"
#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

using Builder = ProjectBuilder;

constexpr int kOuterRuns = 6;
constexpr int kInnerRuns = 4;

// total = sum over the outer runs r of (r + the inner project's 1 + 2 + ... + kInnerRuns).
double Expected() {
    return kOuterRuns * (kOuterRuns + 1) / 2.0 + kOuterRuns * (kInnerRuns * (kInnerRuns + 1) / 2.0);
}

class NodeGraphNodeCancelTest : public NodeGraphNodeTest {
protected:
    // The outer project runs a nested one; `sum` in the document adds 0.5 to its total.
    void SetUp() override {
        NodeGraphNodeTest::SetUp();
        Builder inner;
        inner.Feed(inner.Add(Builder::kLoopIterations, "loop"), "iteration",
                   inner.Io(Builder::kNumberIo, "s", "summation"));
        const std::string inner_path = inner.Write(Path("inner.qmr"));

        Builder outer;
        Node* loop = outer.Add(Builder::kLoopIterations, "loop");
        auto* nested = dynamic_cast<NodeGraphNode*>(outer.Add(ProjectBuilder::kNodeGraph, "n"));
        ASSERT_NE(nested, nullptr);
        ASSERT_EQ(nested->ReadProject(inner_path).GetCode(), 0);
        Builder::SetNumber(nested, "iterations", kInnerRuns);
        Node* add = outer.Math("add", 0, 0);
        outer.Connect(nested, "s", add, "a");
        outer.Connect(loop, "iteration", add, "b");
        outer.Feed(add, "number", outer.Io(Builder::kNumberIo, "total", "summation"));

        m_node = NodeReading(outer.Write(Path("outer.qmr")));
        ASSERT_EQ(m_node->GetNumOutplugs(), 1u);
        Builder::SetNumber(m_node, "iterations", kOuterRuns);
        m_sum = Consumer(m_node, 0, "sum", 0.5);
    }

    NodeGraphNode* m_node = nullptr;
    Node* m_sum = nullptr;
};

TEST_F(NodeGraphNodeCancelTest, StopBetweenRunsLeavesEverythingDirtyAndTheNextRunWhole) {
    const struct {
        const char* what;
        // Stop once `outer` outer runs are done and, when `inner` > 0, `inner` nested runs of the
        // next one.
        int outer;
        int inner;
    } cases[] = {
        {"in the first outer run's nested runs", 0, 2},
        {"between outer runs", 3, 0},
        {"in the nested runs of a later outer run", 2, 1},
        {"in the last outer run's last nested run", kOuterRuns - 1, kInnerRuns - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<EvaluationControl::Runs> at_stop;
        {
            EvaluationControl control;
            control.SetTick(std::chrono::milliseconds(0), [&](EvaluationControl& current) {
                const auto& runs = current.GetRuns();
                if (!runs.empty() && runs[0].m_done >= c.outer &&
                    (c.inner == 0 || (runs.size() > 1 && runs[1].m_done >= c.inner))) {
                    at_stop = runs;
                    current.RequestStop();
                }
            });
            m_node->SetDirtyAllOutplugs();
            EvaluateNodeOutplugs({{m_sum, 0, false}}).EvaluateAll();
            EXPECT_TRUE(control.IsStopRequested());
        }
        // The runs reported are the runs made, and nothing ran past the stop.
        std::vector<int64_t> runs;
        for (const EvaluationControl::Runs& level : at_stop) {
            runs.insert(runs.end(), {level.m_asked, level.m_done});
        }
        std::vector<int64_t> expected{kOuterRuns, c.outer};
        if (c.inner > 0) {
            expected.insert(expected.end(), {kInnerRuns, c.inner});
        }
        EXPECT_EQ(runs, expected);
        EXPECT_EQ(m_node->GetInnerGraph()->FindNode("loop")->GetAttribute("iteration")->GetNumber(),
                  c.outer + (c.inner > 0 ? 1 : 0));
        EXPECT_TRUE(m_node->IsOutplugDirty(0) && m_sum->IsOutplugDirty(0));

        // Without a control, the same node gives the whole result.
        EvaluateNodeOutplugs({{m_sum, 0, false}}).EvaluateAll();
        EXPECT_EQ(m_sum->GetState(0), 0u) << m_sum->GetStateMessage(0);
        EXPECT_TRUE(!m_sum->IsOutplugDirty(0) && m_node->GetNumberValue(0) == Expected() &&
                    m_sum->GetNumberValue(0) == Expected() + 0.5);
    }
}

}  // namespace
