#include "tests/hostlib/engine/EngineTest.h"

using NodePlugsTest = EngineTest;

TEST_F(NodePlugsTest, AttributeInplugsComeFirstAndConnectionsAreRecordedOnBothEnds) {
    TestNode* a = Make(0, 0, 2);
    TestNode* b = Make(2, 2, 1);
    TestNode* c = Make(0, 1, 1);
    EXPECT_EQ(b->GetInplugName(1), "a1");  // a0, a1, in, in
    EXPECT_EQ(b->GetInplugIdFromRegularInputId(0), 2u);
    EXPECT_EQ(b->FindInplug("in", 1), 3u);
    EXPECT_EQ(b->FindInplug("in", 2), Node::kNone);

    ASSERT_TRUE(Connect(a, 0, b, 2));
    ASSERT_TRUE(Connect(a, 1, c, 0));
    ASSERT_TRUE(Connect(a, 0, b, 0));  // into an attribute inplug
    EXPECT_EQ(Targets(a), (std::vector<Link>{{b, 2}, {c, 0}, {b, 0}}));
    EXPECT_EQ(a->GetNumConnectedToOutplug(0), 2u);
    EXPECT_EQ(a->GetOutplugConnectionOutplugId(1), 1u);
    EXPECT_EQ(Sources(b), (std::vector<Node*>{a, nullptr, a, nullptr}));
    EXPECT_EQ(b->GetNumConnectedToInplug(), 2u);

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
    EXPECT_EQ(Targets(a), (std::vector<Link>{{b, 2}, {b, 0}}));

    EXPECT_FALSE(Disconnect(b, 3));  // not connected
    Engine::Get()->DisconnectAll(b);
    EXPECT_EQ(b->GetNumConnectedToInplug() + b->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(a->GetNumConnectedToOutplug(), 0u);
    EXPECT_EQ(c->GetInplugNode(0), nullptr);
}

TEST_F(NodePlugsTest, ExpandingInputGrowsAndShrinks) {
    TestNode* s[3] = {Make(0, 0, 1), Make(0, 0, 1), Make(0, 0, 1)};
    TestNode* other = Make(0, 0, 1);
    TestNode* after = Make(0, 0, 1);
    TestNode* node = Make(1, 1, 1, true);
    // A fixed input after the expanding one shows that later plugs move along.
    node->m_inplug_declarations.push_back({1, Node::Value::Number, "fixed", 0, 0});
    node->UpdateInplugsAndOutplugs();
    ASSERT_EQ(node->GetNumInplugs(), 3u);  // a0, in (free), fixed
    ASSERT_TRUE(Connect(after, 0, node, 2));

    for (uint32_t k = 0; k < 3; ++k) {
        ASSERT_TRUE(Connect(s[k], 0, node, 1 + k));
        EXPECT_EQ(node->GetNumInplugs(), 4u + k);
    }
    EXPECT_EQ(Sources(node), (std::vector<Node*>{nullptr, s[0], s[1], s[2], nullptr, after}));
    EXPECT_EQ(node->FindInplug("in", 3), 4u);
    EXPECT_EQ(Targets(after), (std::vector<Link>{{node, 5}}));

    // Replacing the source of a connected plug does not grow the input.
    ASSERT_TRUE(Connect(other, 0, node, 2));
    EXPECT_EQ(node->GetNumInplugs(), 6u);
    EXPECT_EQ(s[1]->GetNumConnectedToOutplug(), 0u);

    // Disconnecting the first plug removes it; the later ones and their records move down.
    ASSERT_TRUE(Disconnect(node, 1));
    EXPECT_EQ(Sources(node), (std::vector<Node*>{nullptr, other, s[2], nullptr, after}));
    EXPECT_EQ(Targets(other), (std::vector<Link>{{node, 1}}));
    EXPECT_EQ(Targets(s[2]), (std::vector<Link>{{node, 2}}));
    EXPECT_EQ(Targets(after), (std::vector<Link>{{node, 4}}));
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
    Flush();

    // A new attribute moves the regular inputs up; the second input changes type and the second
    // outplug goes away, so their connections are dropped.
    node->m_attributes.emplace_back(new Attribute(node, 1, "a1", 0.0, 0, 1, 1, 0));
    node->m_inplug_declarations[1].m_type = Node::Value::Point;
    node->m_outplug_declarations.pop_back();
    node->UpdateInplugsAndOutplugs();
    // The node hears of its new plugs, `second` of its lost connection.
    EXPECT_EQ(Update::Get()->GetNumPending(), 2u);

    EXPECT_EQ(Sources(node), (std::vector<Node*>{source, nullptr, source, nullptr}));
    EXPECT_EQ(Targets(source), (std::vector<Link>{{node, 0}, {node, 2}}));
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    EXPECT_EQ(Targets(node), (std::vector<Link>{{first, 0}}));
    EXPECT_EQ(first->GetInplugNode(0), node);
    EXPECT_EQ(second->GetInplugNode(0), nullptr);
}
