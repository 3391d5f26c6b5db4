#include <gtest/gtest.h>

#include <filesystem>

#include "host/Engine.h"
#include "host/NodeGraph.h"
#include "host/Update.h"
#include "tests/hostlib/engine/TestNode.h"

namespace {

Engine& engine() {
    return *Engine::Get();
}

// The source's record of connection k, as (target, inplug).
std::pair<Node*, uint32_t> Outgoing(const Node& source, uint32_t k) {
    return {source.GetOutplugConnectionNode(k), source.GetOuplugConnectionNodeInplugId(k)};
}

}  // namespace

TEST(NodePlugsTest, AttributeInplugsComeFirst) {
    RefPtr<TestNode> node = new TestNode(2, 2, 1);
    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugName(0), "a0");
    EXPECT_EQ(node->GetInplugName(1), "a1");
    EXPECT_EQ(node->GetInplugIdFromAttributeId(1), 1u);
    EXPECT_EQ(node->GetInplugIdFromRegularInputId(0), 2u);
    EXPECT_EQ(node->GetInplugName(2), "in");
    EXPECT_EQ(node->FindInplug("in", 1), 3u);
    EXPECT_EQ(node->FindInplug("in", 2), Node::kNone);
    EXPECT_EQ(node->GetInplugValueType(0), Node::Value::Number);
    EXPECT_EQ(node->GetInplugValueType(9), Node::Value::None);
    EXPECT_EQ(node->GetInplugName(9), "");
    EXPECT_EQ(node->GetOutplugName(0), "out0");
    EXPECT_EQ(node->GetOutplugAlias(0), "out0");
    EXPECT_EQ(node->V0GetInplugIndex("a1"), 1u);
    EXPECT_EQ(node->V0GetOutplugIndex("nothing"), Node::kNone);
    EXPECT_TRUE(node->IsOutplugDirty(0));
}

TEST(NodePlugsTest, ConnectionsAreRecordedOnBothEnds) {
    RefPtr<TestNode> a = new TestNode(0, 0, 2);
    RefPtr<TestNode> b = new TestNode(1, 2, 1);
    RefPtr<TestNode> c = new TestNode(0, 1, 1);
    ASSERT_TRUE(engine().ConnectNodes(a.Get(), 0, b.Get(), 1));
    ASSERT_TRUE(engine().ConnectNodes(a.Get(), 1, c.Get(), 0));
    ASSERT_TRUE(engine().ConnectNodes(a.Get(), 0, b.Get(), 0));  // into an attribute inplug
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 3u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(0), 2u);
    EXPECT_EQ(Outgoing(*a, 1), std::make_pair<Node*>(c.Get(), 0u));
    EXPECT_EQ(a->GetOutplugConnectionOutplugId(1), 1u);
    EXPECT_EQ(Outgoing(*a, 2), std::make_pair<Node*>(b.Get(), 0u));
    EXPECT_EQ(b->GetNumConnectedToInplug(), 2u);
    EXPECT_EQ(b->GetInplugNode(1), a.Get());
    EXPECT_EQ(b->GetInplugNodeOutplug(1), 0u);
    EXPECT_EQ(b->GetInplugNode(2), nullptr);
    EXPECT_EQ(a->GetOutplugConnectionNode(3), nullptr);

    // Invalid ids and different value types change nothing.
    RefPtr<TestNode> text = new TestNode(0, 0, 1);
    text->OutplugDeclarations()[0].m_type = Node::Value::String;
    text->UpdateInplugsAndOutplugs();
    EXPECT_FALSE(engine().ConnectNodes(text.Get(), 0, c.Get(), 0));
    EXPECT_FALSE(engine().ConnectNodes(a.Get(), 2, c.Get(), 0));
    EXPECT_FALSE(engine().ConnectNodes(a.Get(), 0, c.Get(), 1));
    EXPECT_FALSE(engine().ConnectNodes(nullptr, 0, c.Get(), 0));
    EXPECT_EQ(c->GetInplugNode(0), a.Get());

    // A new source replaces the old one, which forgets the connection.
    ASSERT_TRUE(engine().ConnectNodes(b.Get(), 0, c.Get(), 0));
    EXPECT_EQ(c->GetInplugNode(0), b.Get());
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 2u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(1), 0u);

    EXPECT_FALSE(engine().DisconnectInplug(b.Get(), 2));  // not connected
    engine().DisconnectAll(b.Get());
    EXPECT_EQ(b->GetNumConnectedToInplug(), 0u);
    EXPECT_EQ(b->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(c->GetInplugNode(0), nullptr);
}

TEST(NodePlugsTest, ExpandingInputGrowsAndShrinks) {
    RefPtr<TestNode> sources[4] = {new TestNode(0, 0, 1), new TestNode(0, 0, 1),
                                   new TestNode(0, 0, 1), new TestNode(0, 0, 1)};
    RefPtr<TestNode> after = new TestNode(0, 0, 1);
    RefPtr<TestNode> node = new TestNode(1, 1, 1, true);
    // A second, fixed input after the expanding one shows that later plugs move along.
    node->InplugDeclarations().push_back({1, Node::Value::Number, "fixed", 0, 0});
    node->UpdateInplugsAndOutplugs();
    ASSERT_EQ(node->GetNumInplugs(), 3u);  // a0, in (free), fixed
    ASSERT_TRUE(engine().ConnectNodes(after.Get(), 0, node.Get(), 2));

    for (uint32_t k = 0; k < 3; ++k) {
        ASSERT_TRUE(engine().ConnectNodes(sources[k].Get(), 0, node.Get(), 1 + k));
        EXPECT_EQ(node->GetNumInplugs(), 4u + k);
    }
    // in s0, in s1, in s2, in (free), fixed <- after
    EXPECT_EQ(node->FindInplug("in", 3), 4u);
    EXPECT_EQ(node->GetInplugNode(4), nullptr);
    EXPECT_EQ(node->GetInplugNode(5), after.Get());
    EXPECT_EQ(Outgoing(*after, 0), std::make_pair<Node*>(node.Get(), 5u));

    // Replacing the source of a connected plug does not grow the input.
    ASSERT_TRUE(engine().ConnectNodes(sources[3].Get(), 0, node.Get(), 2));
    EXPECT_EQ(node->GetNumInplugs(), 6u);
    EXPECT_EQ(sources[1]->GetNumConnectedToOutplug(), 0u);

    // Disconnecting the first plug removes it; the later ones and their records move down.
    ASSERT_TRUE(engine().DisconnectInplug(node.Get(), 1));
    ASSERT_EQ(node->GetNumInplugs(), 5u);
    EXPECT_EQ(node->GetInplugNode(1), sources[3].Get());
    EXPECT_EQ(node->GetInplugNode(2), sources[2].Get());
    EXPECT_EQ(node->GetInplugNode(3), nullptr);
    EXPECT_EQ(node->GetInplugNode(4), after.Get());
    EXPECT_EQ(Outgoing(*sources[3], 0), std::make_pair<Node*>(node.Get(), 1u));
    EXPECT_EQ(Outgoing(*sources[2], 0), std::make_pair<Node*>(node.Get(), 2u));
    EXPECT_EQ(Outgoing(*after, 0), std::make_pair<Node*>(node.Get(), 4u));

    // A source that goes away takes its plug with it.
    sources[3] = nullptr;
    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(1), sources[2].Get());
    EXPECT_EQ(Outgoing(*after, 0), std::make_pair<Node*>(node.Get(), 3u));

    // A rebuild keeps the connected plugs of the group and one free plug.
    node->UpdateInplugsAndOutplugs();
    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(1), sources[2].Get());
    EXPECT_EQ(node->GetInplugNode(3), after.Get());

    engine().DisconnectAll(node.Get());
    EXPECT_EQ(node->GetNumInplugs(), 3u);
    EXPECT_EQ(sources[2]->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(after->GetNumConnectedToOutplug(), 0u);
}

TEST(NodePlugsTest, RebuildKeepsConnectionsOfSurvivingPlugs) {
    RefPtr<TestNode> source = new TestNode(0, 0, 1);
    RefPtr<TestNode> node = new TestNode(1, 2, 2);
    RefPtr<TestNode> first = new TestNode(0, 1, 1);
    RefPtr<TestNode> second = new TestNode(0, 1, 1);
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 0));  // a0
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 1));  // in #0
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 2));  // in #1
    ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, first.Get(), 0));
    ASSERT_TRUE(engine().ConnectNodes(node.Get(), 1, second.Get(), 0));
    Update::Get()->FlushEventsToProcess();

    // A new attribute moves the regular inputs up; the second input changes type and the second
    // outplug goes away, so their connections are dropped.
    node->Attributes().emplace_back(new Attribute(node.Get(), 1, "a1", 0.0, 0, 1, 1, 0));
    node->InplugDeclarations()[1].m_type = Node::Value::Point;
    node->OutplugDeclarations().pop_back();
    node->UpdateInplugsAndOutplugs();
    // The node hears of its new plugs, `second` of its lost connection.
    EXPECT_EQ(Update::Get()->GetNumPending(), 2u);

    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(0), source.Get());
    EXPECT_EQ(node->GetInplugNode(1), nullptr);
    EXPECT_EQ(node->GetInplugNode(2), source.Get());
    EXPECT_EQ(node->GetInplugNode(3), nullptr);
    ASSERT_EQ(source->GetNumConnectedToOutplug(), 2u);
    EXPECT_EQ(Outgoing(*source, 0), std::make_pair<Node*>(node.Get(), 0u));
    EXPECT_EQ(Outgoing(*source, 1), std::make_pair<Node*>(node.Get(), 2u));
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    EXPECT_EQ(first->GetInplugNode(0), node.Get());
    EXPECT_EQ(second->GetInplugNode(0), nullptr);
    EXPECT_EQ(node->GetNumConnectedToOutplug(), 1u);
    Update::Get()->FlushEventsToProcess();
}

TEST(NodePlugsTest, SelfConnectionAndDestruction) {
    RefPtr<TestNode> upstream = new TestNode(0, 0, 1);
    RefPtr<TestNode> downstream = new TestNode(0, 1, 1);
    {
        RefPtr<TestNode> node = new TestNode(0, 1, 1, true);
        ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, node.Get(), 0));
        ASSERT_TRUE(engine().ConnectNodes(upstream.Get(), 0, node.Get(), 1));
        ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, downstream.Get(), 0));
        EXPECT_EQ(node->GetNumInplugs(), 3u);
        // Disconnecting the self-connection moves the other plug down in the node's own record.
        ASSERT_TRUE(engine().DisconnectInplug(node.Get(), 0));
        EXPECT_EQ(node->GetInplugNode(0), upstream.Get());
        EXPECT_EQ(Outgoing(*upstream, 0), std::make_pair<Node*>(node.Get(), 0u));
        ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, node.Get(), 1));
    }
    EXPECT_EQ(upstream->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(downstream->GetInplugNode(0), nullptr);
    Update::Get()->FlushEventsToProcess();
}

TEST(NodePlugsTest, GraphOwnsAndDisconnectsItsNodes) {
    RefPtr<NodeGraph> other = new NodeGraph();
    RefPtr<TestNode> kept = new TestNode(0, 1, 1);
    other->AddNode(kept.Get());
    {
        RefPtr<NodeGraph> graph = new NodeGraph();
        TestNode* a = new TestNode(0, 0, 1);
        TestNode* b = new TestNode(0, 1, 1);
        EXPECT_TRUE(graph->AddNode(a));
        EXPECT_TRUE(graph->AddNode(b, 0));
        EXPECT_FALSE(graph->AddNode(a));
        EXPECT_FALSE(other->AddNode(a));
        EXPECT_FALSE(graph->AddNode(nullptr));
        EXPECT_EQ(graph->GetNode(0), b);
        EXPECT_EQ(graph->IndexOf(a), 1u);
        EXPECT_EQ(a->GetGraph(), graph.Get());
        a->SetName("first");
        EXPECT_EQ(graph->FindNode("first"), a);
        EXPECT_EQ(graph->FindNode("none"), nullptr);

        EXPECT_TRUE(graph->ConnectNodes(a, "out0", 0, b, "in", 0));
        EXPECT_FALSE(graph->ConnectNodes(a, "out0", 1, b, "in", 0));
        EXPECT_FALSE(graph->ConnectNodes(a, "out0", 0, b, "missing", 0));
        EXPECT_TRUE(graph->ConnectNodes(a, "out0", 0, kept.Get(), "in", 0));

        RefPtr<Node> survivor = b;
        EXPECT_TRUE(graph->DeleteNode(b));
        EXPECT_FALSE(graph->DeleteNode(b));
        EXPECT_EQ(survivor->GetGraph(), nullptr);
        EXPECT_EQ(survivor->GetInplugNode(0), nullptr);
        EXPECT_EQ(a->GetNumConnectedToOutplug(), 1u);
        EXPECT_EQ(graph->GetNumNodes(), 1u);
    }
    // The graph went with its node, across the graph boundary too.
    EXPECT_EQ(kept->GetInplugNode(0), nullptr);
    other->Clear();
    EXPECT_EQ(other->GetNumNodes(), 0u);
    EXPECT_EQ(kept->GetGraph(), nullptr);

    other->SetFilePath("some/project.qmr");
    EXPECT_TRUE(std::filesystem::path(other->GetFilePath()).is_absolute());
    EXPECT_EQ(std::filesystem::path(other->GetFilePath()).filename(), "project.qmr");
    other->SetFilePath("");
    EXPECT_EQ(other->GetFilePath(), "");

    NodeGraph* document = engine().GetDocument();
    ASSERT_NE(document, nullptr);
    engine().SetDocument(nullptr);
    EXPECT_NE(engine().GetDocument(), nullptr);
    EXPECT_EQ(engine().GetNumNodes(), 0u);
    Update::Get()->FlushEventsToProcess();
}
