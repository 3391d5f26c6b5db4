#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

using Builder = ProjectBuilder;

constexpr int kNodes = 100000;

// Reading, interface discovery, evaluation and clean-up all walk the inner graph; none of them
// may recurse once per node.
TEST_F(NodeGraphNodeTest, HugeAndDeepProjectsReadAndRunWithoutExhaustingTheStack) {
    // x + 1 + 1 + ... through a chain of kNodes Math nodes.
    Builder chain;
    Node* previous = chain.Io(Builder::kNumberIo, "x");
    for (int i = 0; i < kNodes; ++i) {
        Node* add = chain.Math("add", 0, 1);
        chain.Connect(previous, "number", add, "a");
        previous = add;
    }
    chain.Feed(previous, "number", chain.Io(Builder::kNumberIo, "y"));
    NodeGraphNode* deep = NodeReading(chain.Write(Path("chain.qmr")));
    ASSERT_EQ(deep->GetNumOutplugs(), 1u);
    ASSERT_EQ(deep->GetInnerGraph()->GetNumNodes(), size_t(kNodes + 2));
    FeedNumber(deep, "x", 0.5);
    Evaluate(deep);
    EXPECT_EQ(deep->GetState(0), 0u) << deep->GetStateMessage(0);
    EXPECT_EQ(deep->GetNumberValue(0), 0.5 + kNodes);

    // kNodes nodes in all: ones summed pairwise, every node evaluated once per request.
    Builder wide;
    std::deque<Node*> pending;
    for (int i = 0; i < kNodes / 2; ++i) {
        pending.push_back(wide.Add(Builder::kNumber, "", "value", 1));
    }
    while (pending.size() > 1) {
        Node* sum = wide.Math("add", 0, 0);
        wide.Connect(pending[0], "number", sum, "a");
        wide.Connect(pending[1], "number", sum, "b");
        pending.pop_front();
        pending.pop_front();
        pending.push_back(sum);
    }
    wide.Feed(pending.front(), "number", wide.Io(Builder::kNumberIo, "total"));
    NodeGraphNode* large = NodeReading(wide.Write(Path("wide.qmr")));
    ASSERT_EQ(large->GetInnerGraph()->GetNumNodes(), size_t(kNodes));
    large->GetAttribute("iterations")->SetNumber(2, false);
    Evaluate(large);
    EXPECT_EQ(large->GetNumberValue(0), kNodes / 2) << "replaced by the second run";
}

TEST_F(NodeGraphNodeTest, CycleInsideAProjectIsAnErrorStateNotAHang) {
    // first = x + second, second = first + 0: a loop the reader accepts as it is saved.
    const std::string path = Builder::WriteContainer(Path("cycle.qmr"), R"(
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x"/>
    <Node id="1" type="10,2,1" name="first"/>
    <Node id="2" type="10,2,1" name="second"/>
    <Node id="3" type="10,1,26" name="y"/>
    <Connection from="0" outplug="number" to="1" inplug="a"/>
    <Connection from="2" outplug="number" to="1" inplug="b"/>
    <Connection from="1" outplug="number" to="2" inplug="a"/>
    <Connection from="1" outplug="number" to="3" inplug="number"/>
</QuillmarProject>)");
    NodeGraphNode* node = NodeReading(path);
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    FeedNumber(node, "x", 2);
    node->GetAttribute("iterations")->SetNumber(3, false);
    Evaluate(node);
    EXPECT_NE(node->GetState(0), 0u);
    EXPECT_NE(node->GetStateMessage(0).find("Cycle"), std::string::npos)
        << node->GetStateMessage(0);
}

}  // namespace
