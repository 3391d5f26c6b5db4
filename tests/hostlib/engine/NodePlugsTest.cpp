#include <filesystem>

#include "host/NodeGraph.h"
#include "tests/hostlib/engine/EngineTest.h"

using NodePlugsTest = EngineTest;

TEST_F(NodePlugsTest, AttributeInplugsComeFirstAndConnectionsAreRecordedOnBothEnds) {
    TestNode* a = Make(0, 0, 2);
    TestNode* b = Make(2, 2, 1);
    TestNode* c = Make(0, 1, 1);
    ASSERT_EQ(b->GetNumInplugs(), 4u);  // a0, a1, in, in
    EXPECT_EQ(b->GetInplugName(1), "a1");
    EXPECT_EQ(b->GetInplugIdFromRegularInputId(0), 2u);
    EXPECT_EQ(b->FindInplug("in", 1), 3u);
    EXPECT_EQ(b->FindInplug("in", 2), Node::kNone);
    EXPECT_EQ(b->GetInplugValueType(9), Node::Value::None);
    EXPECT_EQ(b->GetInplugName(9), "");
    EXPECT_TRUE(b->IsOutplugDirty(0));

    ASSERT_TRUE(Connect(a, 0, b, 2));
    ASSERT_TRUE(Connect(a, 1, c, 0));
    ASSERT_TRUE(Connect(a, 0, b, 0));  // into an attribute inplug
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 3u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(0), 2u);
    EXPECT_EQ(Outgoing(a, 1), Link(c, 0));
    EXPECT_EQ(a->GetOutplugConnectionOutplugId(1), 1u);
    EXPECT_EQ(Outgoing(a, 2), Link(b, 0));
    EXPECT_EQ(b->GetNumConnectedToInplug(), 2u);
    EXPECT_EQ(b->GetInplugNode(2), a);
    EXPECT_EQ(b->GetInplugNodeOutplug(2), 0u);
    EXPECT_EQ(b->GetInplugNode(3), nullptr);
    EXPECT_EQ(a->GetOutplugConnectionNode(3), nullptr);

    // Invalid ids and different value types change nothing.
    TestNode* text = Make(0, 0, 1);
    text->m_outplug_declarations[0].m_type = Node::Value::String;
    text->UpdateInplugsAndOutplugs();
    EXPECT_FALSE(Connect(text, 0, c, 0));
    EXPECT_FALSE(Connect(a, 2, c, 0));
    EXPECT_FALSE(Connect(a, 0, c, 1));
    EXPECT_FALSE(Connect(nullptr, 0, c, 0));
    EXPECT_EQ(c->GetInplugNode(0), a);

    // A new source replaces the old one, which forgets the connection.
    ASSERT_TRUE(Connect(b, 0, c, 0));
    EXPECT_EQ(c->GetInplugNode(0), b);
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 2u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(1), 0u);

    EXPECT_FALSE(Engine::Get()->DisconnectInplug(b, 3));  // not connected
    Engine::Get()->DisconnectAll(b);
    EXPECT_EQ(b->GetNumConnectedToInplug(), 0u);
    EXPECT_EQ(b->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(c->GetInplugNode(0), nullptr);
}

TEST_F(NodePlugsTest, ExpandingInputGrowsAndShrinks) {
    TestNode* sources[3] = {Make(0, 0, 1), Make(0, 0, 1), Make(0, 0, 1)};
    RefPtr<TestNode> doomed = new TestNode(0, 0, 1);
    TestNode* after = Make(0, 0, 1);
    TestNode* node = Make(1, 1, 1, true);
    // A fixed input after the expanding one shows that later plugs move along.
    node->m_inplug_declarations.push_back({1, Node::Value::Number, "fixed", 0, 0});
    node->UpdateInplugsAndOutplugs();
    ASSERT_EQ(node->GetNumInplugs(), 3u);  // a0, in (free), fixed
    ASSERT_TRUE(Connect(after, 0, node, 2));

    for (uint32_t k = 0; k < 3; ++k) {
        ASSERT_TRUE(Connect(sources[k], 0, node, 1 + k));
        EXPECT_EQ(node->GetNumInplugs(), 4u + k);
    }
    // a0, in <- s0, in <- s1, in <- s2, in (free), fixed <- after
    EXPECT_EQ(node->FindInplug("in", 3), 4u);
    EXPECT_EQ(node->GetInplugNode(4), nullptr);
    EXPECT_EQ(node->GetInplugNode(5), after);
    EXPECT_EQ(Outgoing(after, 0), Link(node, 5));

    // Replacing the source of a connected plug does not grow the input.
    ASSERT_TRUE(Connect(doomed.Get(), 0, node, 2));
    EXPECT_EQ(node->GetNumInplugs(), 6u);
    EXPECT_EQ(sources[1]->GetNumConnectedToOutplug(), 0u);

    // Disconnecting the first plug removes it; the later ones and their records move down.
    ASSERT_TRUE(Engine::Get()->DisconnectInplug(node, 1));
    ASSERT_EQ(node->GetNumInplugs(), 5u);
    EXPECT_EQ(node->GetInplugNode(1), doomed.Get());
    EXPECT_EQ(node->GetInplugNode(2), sources[2]);
    EXPECT_EQ(node->GetInplugNode(3), nullptr);
    EXPECT_EQ(node->GetInplugNode(4), after);
    EXPECT_EQ(Outgoing(doomed.Get(), 0), Link(node, 1));
    EXPECT_EQ(Outgoing(sources[2], 0), Link(node, 2));
    EXPECT_EQ(Outgoing(after, 0), Link(node, 4));

    // A source that goes away takes its plug with it.
    doomed = nullptr;
    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(1), sources[2]);
    EXPECT_EQ(Outgoing(after, 0), Link(node, 3));

    // A rebuild keeps the connected plugs of the group and one free plug.
    node->UpdateInplugsAndOutplugs();
    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(1), sources[2]);
    EXPECT_EQ(node->GetInplugNode(3), after);

    Engine::Get()->DisconnectAll(node);
    EXPECT_EQ(node->GetNumInplugs(), 3u);
    EXPECT_EQ(sources[2]->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(after->GetNumConnectedToOutplug(), 0u);
}

TEST_F(NodePlugsTest, RebuildKeepsConnectionsOfSurvivingPlugs) {
    TestNode* source = Make(0, 0, 1);
    TestNode* node = Make(1, 2, 2);
    TestNode* first = Make(0, 1, 1);
    TestNode* second = Make(0, 1, 1);
    for (uint32_t inplug : {0, 1, 2}) {  // a0, in #0, in #1
        ASSERT_TRUE(Connect(source, 0, node, inplug));
    }
    ASSERT_TRUE(Connect(node, 0, first, 0));
    ASSERT_TRUE(Connect(node, 1, second, 0));
    Update::Get()->FlushEventsToProcess();

    // A new attribute moves the regular inputs up; the second input changes type and the second
    // outplug goes away, so their connections are dropped.
    node->m_attributes.emplace_back(new Attribute(node, 1, "a1", 0.0, 0, 1, 1, 0));
    node->m_inplug_declarations[1].m_type = Node::Value::Point;
    node->m_outplug_declarations.pop_back();
    node->UpdateInplugsAndOutplugs();
    // The node hears of its new plugs, `second` of its lost connection.
    EXPECT_EQ(Update::Get()->GetNumPending(), 2u);

    ASSERT_EQ(node->GetNumInplugs(), 4u);
    EXPECT_EQ(node->GetInplugNode(0), source);
    EXPECT_EQ(node->GetInplugNode(1), nullptr);
    EXPECT_EQ(node->GetInplugNode(2), source);
    EXPECT_EQ(node->GetInplugNode(3), nullptr);
    ASSERT_EQ(source->GetNumConnectedToOutplug(), 2u);
    EXPECT_EQ(Outgoing(source, 0), Link(node, 0));
    EXPECT_EQ(Outgoing(source, 1), Link(node, 2));
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    EXPECT_EQ(first->GetInplugNode(0), node);
    EXPECT_EQ(second->GetInplugNode(0), nullptr);
    EXPECT_EQ(node->GetNumConnectedToOutplug(), 1u);
}

TEST_F(NodePlugsTest, SelfConnectionAndDestruction) {
    TestNode* upstream = Make(0, 0, 1);
    TestNode* downstream = Make(0, 1, 1);
    {
        RefPtr<TestNode> node = new TestNode(0, 1, 1, true);
        ASSERT_TRUE(Connect(node.Get(), 0, node.Get(), 0));
        ASSERT_TRUE(Connect(upstream, 0, node.Get(), 1));
        ASSERT_TRUE(Connect(node.Get(), 0, downstream, 0));
        EXPECT_EQ(node->GetNumInplugs(), 3u);
        // Disconnecting the self-connection moves the other plug down in the node's own record.
        ASSERT_TRUE(Engine::Get()->DisconnectInplug(node.Get(), 0));
        EXPECT_EQ(node->GetInplugNode(0), upstream);
        EXPECT_EQ(Outgoing(upstream, 0), Link(node.Get(), 0));
        ASSERT_TRUE(Connect(node.Get(), 0, node.Get(), 1));
    }
    EXPECT_EQ(upstream->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(downstream->GetInplugNode(0), nullptr);
}

TEST_F(NodePlugsTest, GraphOwnsAndDisconnectsItsNodes) {
    RefPtr<NodeGraph> other = new NodeGraph();
    TestNode* kept = Make(0, 1, 1);
    other->AddNode(kept);
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
        a->SetName("first");
        EXPECT_EQ(graph->FindNode("first"), a);

        EXPECT_TRUE(graph->ConnectNodes(a, "out0", 0, b, "in", 0));
        EXPECT_FALSE(graph->ConnectNodes(a, "out0", 1, b, "in", 0));
        EXPECT_FALSE(graph->ConnectNodes(a, "out0", 0, b, "missing", 0));
        EXPECT_TRUE(graph->ConnectNodes(a, "out0", 0, kept, "in", 0));

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

    other->SetFilePath("some/project.qmr");  // stored absolute
    EXPECT_EQ(std::filesystem::path(other->GetFilePath()),
              std::filesystem::current_path() / "some/project.qmr");
    other->SetFilePath("");
    EXPECT_EQ(other->GetFilePath(), "");

    Engine::Get()->SetDocument(nullptr);
    EXPECT_NE(Engine::Get()->GetDocument(), nullptr);
    EXPECT_EQ(Engine::Get()->GetNumNodes(), 0u);
}
