#include <utility>

#include "host/NodeListener.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

// Records the types it hears; optionally removes itself, or posts one more event, on the first
// call.
class RecordingListener : public NodeListener {
public:
    void OnNodeEvent(Node* node, const NodeEvent& event) override {
        m_heard.emplace_back(node, event);
        m_types.push_back(event.m_type);
        if (m_remove_self) {
            node->RemoveNodeListener(this);
        }
        if (m_post_type != 0) {
            node->PostEvent(std::exchange(m_post_type, 0), 99);
        }
    }

    std::vector<std::pair<Node*, NodeEvent>> m_heard;
    std::vector<uint32_t> m_types;
    bool m_remove_self = false;
    uint32_t m_post_type = 0;
};

using UpdateTest = EngineTest;

}  // namespace

TEST_F(UpdateTest, DeliversInOrderIncludingEventsPostedDuringTheFlushButNotOfDestroyedNodes) {
    RecordingListener leaving, listener;
    leaving.m_remove_self = true;
    listener.m_post_type = 40;
    TestNode* first = Make(0, 0, 1);
    TestNode* second = Make(0, 0, 1);
    first->AddNodeListener(&leaving);  // removes itself: the next listener must still hear
    first->AddNodeListener(&listener);
    second->AddNodeListener(&listener);
    first->AddNodeListener(&listener);  // once only

    first->PostEvent(20, 1);
    second->PostEvent(21, 2);
    {
        RefPtr<TestNode> doomed = new TestNode(0, 0, 1);
        doomed->AddNodeListener(&listener);
        doomed->PostEvent(30, 0);
    }
    first->PostEvent(22, 3);
    // A node made now may reuse the address: its own events still arrive.
    TestNode* newcomer = Make(0, 0, 1);
    newcomer->AddNodeListener(&listener);
    newcomer->PostEvent(23, 0);
    Flush();
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

    EXPECT_EQ(leaving.m_types, (std::vector<uint32_t>{20}));
    const auto& heard = listener.m_heard;
    ASSERT_EQ(listener.m_types, (std::vector<uint32_t>{20, 21, 22, 23, 40}));
    EXPECT_TRUE(heard[1].first == second && heard[1].second.m_parameter == 2u);
    EXPECT_EQ(heard[4].first, first);
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_LT(heard[i - 1].second.m_sequence, heard[i].second.m_sequence);
    }
    // Processing now bypasses the queue but still takes a later sequence number.
    EXPECT_TRUE(second->ProcessEvent(50, 0));
    EXPECT_GT(heard.back().second.m_sequence, heard[4].second.m_sequence);
}

TEST_F(UpdateTest, EngineChangesPostTheirEvents) {
    RecordingListener listener;
    TestNode* source = Make(0, 0, 1);
    TestNode* node = Make(2, 1, 1, true);
    TestNode* after = Make(0, 1, 1);
    ASSERT_TRUE(Connect(node, 0, after, 0));
    node->AddNodeListener(&listener);
    Flush();

    node->GetAttribute("a1")->SetNumber(1, true);
    node->GetAttribute("a0")->SetNumber(1, false);
    node->SetName("renamed");
    node->SetName("renamed");
    ASSERT_TRUE(Connect(source, 0, node, 2));
    Flush();
    ASSERT_EQ(listener.m_types,
              (std::vector<uint32_t>{kEventAttributeChanged, kEventNameChanged,
                                     kEventConnectionChanged, kEventPlugsChanged}));
    EXPECT_EQ(listener.m_heard[0].second.m_parameter, 1u);
    EXPECT_EQ(listener.m_heard[2].second.m_parameter, 2u);

    // The base handling of an inplug change dirties the node and downstream, on delivery.
    Evaluate({{after, 0}});
    node->PostEvent(kEventInplugChanged, 0);
    EXPECT_FALSE(after->IsOutplugDirty(0));
    Flush();
    EXPECT_TRUE(node->IsOutplugDirty(0) && after->IsOutplugDirty(0));
    EXPECT_FALSE(source->IsOutplugDirty(0));
}
