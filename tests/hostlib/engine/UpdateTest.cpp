#include <gtest/gtest.h>

#include <vector>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeListener.h"
#include "host/Update.h"
#include "tests/hostlib/engine/TestNode.h"

namespace {

struct Heard {
    Node* m_node;
    NodeEvent m_event;
};

// Records what it hears; optionally removes itself, or posts one more event, on the first call.
class RecordingListener : public NodeListener {
public:
    void OnNodeEvent(Node* node, const NodeEvent& event) override {
        m_heard.push_back({node, event});
        if (m_remove_self) {
            node->RemoveNodeListener(this);
        }
        if (m_post_type != 0) {
            node->PostEvent(std::exchange(m_post_type, 0), 99);
        }
    }

    std::vector<Heard> m_heard;
    bool m_remove_self = false;
    uint32_t m_post_type = 0;
};

std::vector<uint32_t> Types(const std::vector<Heard>& heard) {
    std::vector<uint32_t> types;
    for (const Heard& entry : heard) {
        types.push_back(entry.m_event.m_type);
    }
    return types;
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override { Update::Get()->FlushEventsToProcess(); }
    void TearDown() override { Update::Get()->FlushEventsToProcess(); }
};

}  // namespace

TEST_F(UpdateTest, DeliversInOrderIncludingEventsPostedDuringTheFlush) {
    RefPtr<TestNode> first = new TestNode(0, 0, 1);
    RefPtr<TestNode> second = new TestNode(0, 0, 1);
    RecordingListener listener;
    listener.m_post_type = 40;
    first->AddNodeListener(&listener);
    second->AddNodeListener(&listener);
    first->AddNodeListener(&listener);  // once only

    first->PostEvent(20, 1);
    second->PostEvent(21, 2);
    first->PostEvent(22, 3);
    EXPECT_EQ(Update::Get()->GetNumPending(), 3u);
    Update::Get()->FlushEventsToProcess();
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

    ASSERT_EQ(Types(listener.m_heard), (std::vector<uint32_t>{20, 21, 22, 40}));
    EXPECT_EQ(listener.m_heard[1].m_node, second.Get());
    EXPECT_EQ(listener.m_heard[1].m_event.m_parameter, 2u);
    EXPECT_EQ(listener.m_heard[3].m_node, first.Get());
    for (size_t i = 1; i < listener.m_heard.size(); ++i) {
        EXPECT_LT(listener.m_heard[i - 1].m_event.m_sequence,
                  listener.m_heard[i].m_event.m_sequence);
    }

    // Processing now bypasses the queue but still takes a later sequence number.
    EXPECT_TRUE(second->ProcessEvent(30, 0));
    EXPECT_GT(listener.m_heard.back().m_event.m_sequence, listener.m_heard[3].m_event.m_sequence);
    first->RemoveNodeListener(&listener);
    second->RemoveNodeListener(&listener);
}

TEST_F(UpdateTest, EventsOfDestroyedNodesAreDropped) {
    RecordingListener listener;
    RefPtr<TestNode> survivor = new TestNode(0, 0, 1);
    survivor->AddNodeListener(&listener);
    survivor->PostEvent(20, 0);
    {
        RefPtr<TestNode> doomed = new TestNode(0, 0, 1);
        doomed->AddNodeListener(&listener);
        doomed->PostEvent(21, 0);
        doomed->PostEvent(22, 0);
    }
    survivor->PostEvent(23, 0);
    EXPECT_EQ(Update::Get()->GetNumPending(), 2u);
    // A node made now may reuse the address: its own events still arrive.
    RefPtr<TestNode> newcomer = new TestNode(0, 0, 1);
    newcomer->AddNodeListener(&listener);
    newcomer->PostEvent(24, 0);
    Update::Get()->FlushEventsToProcess();
    EXPECT_EQ(Types(listener.m_heard), (std::vector<uint32_t>{20, 23, 24}));
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);
    survivor->RemoveNodeListener(&listener);
    newcomer->RemoveNodeListener(&listener);
}

TEST_F(UpdateTest, ListenersMayRemoveThemselves) {
    RefPtr<TestNode> node = new TestNode(0, 0, 1);
    RecordingListener leaving, staying;
    leaving.m_remove_self = true;
    node->AddNodeListener(&leaving);
    node->AddNodeListener(&staying);
    node->ProcessEvent(20, 0);
    node->ProcessEvent(21, 0);
    EXPECT_EQ(Types(leaving.m_heard), (std::vector<uint32_t>{20}));
    EXPECT_EQ(Types(staying.m_heard), (std::vector<uint32_t>{20, 21}));
    node->RemoveNodeListener(&staying);
}

TEST_F(UpdateTest, EngineChangesPostTheirEvents) {
    RefPtr<TestNode> source = new TestNode(0, 0, 1);
    RefPtr<TestNode> node = new TestNode(2, 1, 1, true);
    RefPtr<TestNode> after = new TestNode(0, 1, 1);
    ASSERT_TRUE(Engine::Get()->ConnectNodes(node.Get(), 0, after.Get(), 0));
    RecordingListener listener;
    node->AddNodeListener(&listener);
    Update::Get()->FlushEventsToProcess();

    node->GetAttribute("a1")->SetNumber(1, true);
    node->GetAttribute("a0")->SetNumber(1, false);
    node->SetName("renamed");
    node->SetName("renamed");
    ASSERT_TRUE(Engine::Get()->ConnectNodes(source.Get(), 0, node.Get(), 2));
    Update::Get()->FlushEventsToProcess();
    ASSERT_EQ(Types(listener.m_heard),
              (std::vector<uint32_t>{kEventAttributeChanged, kEventNameChanged,
                                     kEventConnectionChanged, kEventPlugsChanged}));
    EXPECT_EQ(listener.m_heard[0].m_event.m_parameter, 1u);
    EXPECT_EQ(listener.m_heard[2].m_event.m_parameter, 2u);

    // Event 5 in the base handling dirties the node and downstream.
    EvaluateNodeOutplugs({{after.Get(), 0}}).EvaluateAll();
    ASSERT_FALSE(after->IsOutplugDirty(0));
    node->PostEvent(kEventInplugChanged, 0);
    EXPECT_FALSE(after->IsOutplugDirty(0));
    Update::Get()->FlushEventsToProcess();
    EXPECT_TRUE(node->IsOutplugDirty(0));
    EXPECT_TRUE(after->IsOutplugDirty(0));
    EXPECT_FALSE(source->IsOutplugDirty(0));
    node->RemoveNodeListener(&listener);
}
