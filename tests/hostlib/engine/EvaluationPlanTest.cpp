#include <functional>
#include <utility>

#include "host/EvaluationPlan.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

using Graph = std::vector<TestNode*>;

// What one run did, by node position: the computations in order, the questions each node was
// asked, and every outplug's stored value and state afterwards.
struct Trace {
    std::vector<std::pair<size_t, uint32_t>> m_computed;
    std::vector<int> m_questions;
    std::vector<double> m_results;
    std::vector<Node::State> m_states;
    bool operator==(const Trace&) const = default;
};

class EvaluationPlanTest : public EngineTest {
protected:
    // Two sources; a switch that needs only its first input while plug-wise; a cycle fed by the
    // switch; a node whose second outplug needs nothing; a node whose input is replaced.
    Graph Build() {
        Graph g = {Source(1),     Source(2),     Make(0, 2, 1), Make(0, 2, 1),
                   Make(0, 1, 1), Make(0, 1, 2), Make(0, 1, 1)};
        const std::vector<std::pair<Link, Link>> connections = {
            {{g[0], 0}, {g[2], 0}}, {{g[1], 0}, {g[2], 1}}, {{g[2], 0}, {g[3], 0}},
            {{g[4], 0}, {g[3], 1}}, {{g[3], 0}, {g[4], 0}}, {{g[1], 0}, {g[5], 0}},
            {{g[5], 0}, {g[6], 0}}};
        for (const auto& [from, to] : connections) {
            EXPECT_TRUE(Connect(from.first, from.second, to.first, to.second));
        }
        g[2]->m_plug_wise = true;
        g[5]->m_plug_wise = true;
        return g;
    }

    Trace Run(const Graph& g, EvaluationPlan* plan, bool replace) {
        Trace trace;
        for (size_t i = 0; i < g.size(); ++i) {
            g[i]->m_num_questions = 0;
            g[i]->m_on_evaluate = [&trace, i](uint32_t k) { trace.m_computed.emplace_back(i, k); };
        }
        {
            EvaluateNodeOutplugs evaluator({{g[3], 0}, {g[6], 0}, {g[5], 1}, {g[1], 0}}, plan);
            if (replace) {
                evaluator.ReplaceNodeInplugValues({{g[6], &m_replacement}});
            }
            evaluator.EvaluateAll();
        }
        for (TestNode* node : g) {
            trace.m_questions.push_back(node->m_num_questions);
            for (uint32_t k = 0; k < node->GetNumOutplugs(); ++k) {
                trace.m_results.push_back(Result(node, k));
                trace.m_states.push_back(node->GetState(k));
            }
            node->m_on_evaluate = nullptr;
        }
        return trace;
    }

    static void DirtyAll(const Graph& g) {
        for (TestNode* node : g) {
            node->SetDirtyAllOutplugs();
        }
    }

    Node::Value m_replacement;
};

}  // namespace

// Each change is made to two copies of the graph, one run with a plan and one without: every run
// must do the same with or without it, and the plan must be replayed when nothing it relies on
// changed.
TEST_F(EvaluationPlanTest, ReplayDoesWhatTheSearchDoes) {
    using Change = std::function<void(const Graph&)>;
    struct Case {
        const char* m_name;
        Change m_change;
        bool m_replayed;  // the run right after the change
        bool m_replace = true;
        // Before every run after the first, as the node graph's loop does.
        Change m_dirty = DirtyAll;
    };
    const Change none = [](const Graph&) {};
    const std::vector<Case> cases = {
        {"nothing but dirtiness", none, true},
        {"an attribute", [](const Graph& g) { g[0]->SetA0(7); }, true},
        {"the switch's choice", [](const Graph& g) { g[2]->m_plug_wise = false; }, false},
        {"a source left clean", none, false, true,
         [](const Graph& g) {
             for (size_t i = 0; i < g.size(); ++i) {
                 if (i != 1) {
                     g[i]->SetDirtyAllOutplugs();
                 }
             }
         }},
        {"a connection", [](const Graph& g) { Connect(g[0], 0, g[5], 0); }, false},
        {"the cycle broken", [](const Graph& g) { Disconnect(g[3], 1); }, false},
        {"the replacement dropped", none, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_name);
        const Graph planned = Build();
        const Graph searched = Build();
        EvaluationPlan plan;
        m_replacement.m_type = Node::Value::Number;
        m_replacement.m_number = 40;
        EXPECT_EQ(Run(planned, &plan, true), Run(searched, nullptr, true));
        EXPECT_FALSE(plan.WasReplayed());

        for (const Graph* g : {&planned, &searched}) {
            c.m_change(*g);
            c.m_dirty(*g);
        }
        m_replacement.m_number = 50;
        EXPECT_EQ(Run(planned, &plan, c.m_replace), Run(searched, nullptr, c.m_replace));
        EXPECT_EQ(plan.WasReplayed(), c.m_replayed);

        // What the changed run did is the new plan.
        c.m_dirty(planned);
        c.m_dirty(searched);
        EXPECT_EQ(Run(planned, &plan, c.m_replace), Run(searched, nullptr, c.m_replace));
        EXPECT_TRUE(plan.WasReplayed());
    }
}
