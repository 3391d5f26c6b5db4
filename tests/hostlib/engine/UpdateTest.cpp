#include "host/NodeListener.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

class RecordingListener : public NodeListener {
public:
    void OnNodeEvent(Node*, const NodeEvent& event) override {
        m_types.push_back(event.m_type);
        m_parameters.push_back(event.m_parameter);
    }

    std::vector<uint32_t> m_types;
    std::vector<uint32_t> m_parameters;
};

using UpdateTest = EngineTest;

}  // namespace

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
    EXPECT_EQ(listener.m_parameters[0], 1u);
    EXPECT_EQ(listener.m_parameters[2], 2u);

    // The base handling of an inplug change dirties the node and downstream, on delivery.
    Evaluate({{after, 0}});
    node->PostEvent(kEventInplugChanged, 0);
    EXPECT_FALSE(after->IsOutplugDirty(0));
    Flush();
    EXPECT_TRUE(node->IsOutplugDirty(0) && after->IsOutplugDirty(0) && !source->IsOutplugDirty(0));
}
