#include <gtest/gtest.h>

#include "host/DynamicNode.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeListener.h"
#include "host/Update.h"
#include "tests/hostlib/engine/TestNode.h"

namespace {

// Publishes each NUMBER attribute on its outplug; optionally has one regular number input.
class TestDynamicNode : public DynamicNode {
public:
    TestDynamicNode(bool outplugs_from_attributes, bool with_input)
        : DynamicNode(outplugs_from_attributes) {
        if (with_input) {
            m_inplug_declarations.push_back({0, Value::Number, "input", 0, 0});
        }
        UpdateOutplugs();
    }
    NodeType GetNodeType() const override { return NodeType(99, 0, 2); }
    std::string GetTypeName() const override { return "Dynamic"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {
        ++m_num_evaluations;
    }
    double GetNumberValue(uint32_t outplug) override {
        Attribute* attribute = GetAttributeByIndex(outplug);
        return attribute ? attribute->GetNumber() : 0.0;
    }
    void AddRecord(const std::string& name, const std::string& type, const std::string& value) {
        m_loaded_records.push_back({name, type, value, ""});
    }
    size_t GetNumRecords() const { return m_loaded_records.size(); }

    int m_num_evaluations = 0;
};

class EventTypes : public NodeListener {
public:
    void OnNodeEvent(Node*, const NodeEvent& event) override {
        m_events.emplace_back(event.m_type, event.m_parameter);
    }
    std::vector<std::pair<uint32_t, uint32_t>> m_events;
};

Engine& engine() {
    return *Engine::Get();
}

}  // namespace

TEST(DynamicNodeTest, AddingAttributesKeepsConnections) {
    Update::Get()->FlushEventsToProcess();
    RefPtr<TestDynamicNode> node = new TestDynamicNode(true, true);
    RefPtr<TestNode> source = new TestNode(0, 0, 1);
    RefPtr<TestNode> target = new TestNode(0, 1, 1);
    EventTypes events;
    node->AddNodeListener(&events);

    EXPECT_EQ(node->AddNumberAttribute("gain", 2.0, 0, 10, 0.5, 1), 0u);
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 1));  // the regular input
    ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, target.Get(), 0));
    EXPECT_EQ(node->AddPointAttribute("at", {1, 2}, 0, 5, 1, 0), 1u);
    EXPECT_EQ(node->AddChoiceAttribute("mode", "fast,slow"), 2u);
    EXPECT_EQ(node->AddBooleanAttribute("on", true), 3u);
    EXPECT_EQ(node->AddFrameAttribute("box", {1, 2, 3, 4}), 4u);
    EXPECT_EQ(node->AddRgboAttribute("tint", {1, 0, 0, 1}), 5u);
    EXPECT_EQ(node->AddStringAttribute("label", "x"), 6u);

    ASSERT_EQ(node->GetNumInplugs(), 8u);
    EXPECT_EQ(node->GetInplugNode(7), source.Get());
    EXPECT_EQ(source->GetOuplugConnectionNodeInplugId(0), 7u);
    ASSERT_EQ(node->GetNumOutplugs(), 7u);
    EXPECT_EQ(node->GetOutplugName(2), "mode");
    const Node::Value::Type types[] = {
        Node::Value::Number, Node::Value::Point, Node::Value::String, Node::Value::Boolean,
        Node::Value::Frame,  Node::Value::Rgbo,  Node::Value::String};
    for (uint32_t k = 0; k < 7; ++k) {
        EXPECT_EQ(node->GetOutplugValueType(k), types[k]) << k;
        EXPECT_EQ(node->GetInplugValueType(k), types[k]) << k;
        EXPECT_EQ(node->GetAttributeByIndex(k)->GetId(), k);
    }
    EXPECT_EQ(node->GetAttribute("mode")->GetChoice(), "fast");
    EXPECT_EQ(target->GetInplugNode(0), node.Get());

    Update::Get()->FlushEventsToProcess();
    int added = 0;
    for (auto [type, parameter] : events.m_events) {
        if (type == kEventAttributeAdded) {
            EXPECT_EQ(parameter, uint32_t(added++));
        }
    }
    EXPECT_EQ(added, 7);
    node->RemoveNodeListener(&events);
}

TEST(DynamicNodeTest, DeletingAnAttributeMovesTheLaterOnesDown) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode(true, true);
    node->AddNumberAttribute("a", 1, 0, 10, 1, 0);
    node->AddPointAttribute("b", {}, 0, 10, 1, 0);
    node->AddNumberAttribute("c", 3, 0, 10, 1, 0);
    RefPtr<TestNode> source = new TestNode(0, 0, 1);
    RefPtr<TestNode> number_target = new TestNode(0, 1, 1);
    RefPtr<TestNode> first_target = new TestNode(0, 1, 1);
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 2));  // c
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 3));  // input
    ASSERT_TRUE(engine().ConnectNodes(node.Get(), 2, number_target.Get(), 0));
    ASSERT_TRUE(engine().ConnectNodes(node.Get(), 0, first_target.Get(), 0));
    RefPtr<Attribute> deleted = node->GetAttribute("b");
    Update::Get()->FlushEventsToProcess();
    EventTypes events;
    node->AddNodeListener(&events);

    EXPECT_FALSE(node->DeleteAttribute(3));
    ASSERT_TRUE(node->DeleteAttribute(1));
    ASSERT_EQ(node->GetNumAttributes(), 2u);
    EXPECT_EQ(node->GetAttributeByIndex(1)->GetName(), "c");
    EXPECT_EQ(node->GetAttributeByIndex(1)->GetId(), 1u);
    ASSERT_EQ(node->GetNumInplugs(), 3u);
    EXPECT_EQ(node->GetInplugName(1), "c");
    EXPECT_EQ(node->GetInplugNode(1), source.Get());
    EXPECT_EQ(node->GetInplugNode(2), source.Get());
    EXPECT_EQ(node->GetInplugIdFromRegularInputId(0), 2u);
    EXPECT_EQ(source->GetOuplugConnectionNodeInplugId(0), 1u);
    EXPECT_EQ(source->GetOuplugConnectionNodeInplugId(1), 2u);
    ASSERT_EQ(node->GetNumOutplugs(), 2u);
    EXPECT_EQ(node->GetOutplugName(1), "c");
    EXPECT_EQ(number_target->GetInplugNode(0), node.Get());
    EXPECT_EQ(number_target->GetInplugNodeOutplug(0), 1u);
    EXPECT_EQ(first_target->GetInplugNodeOutplug(0), 0u);
    EXPECT_EQ(node->GetOutplugConnectionOutplugId(0), 1u);

    // The outplugs still read their own attributes.
    EvaluateNodeOutplugs evaluator({{number_target.Get(), 0}});
    evaluator.EvaluateAll();
    EXPECT_EQ(number_target->LockValue(0).m_number, 3.0);

    // The deleted attribute no longer belongs to the node.
    deleted->SetNumber(5, true);
    EXPECT_FALSE(number_target->IsOutplugDirty(0));

    Update::Get()->FlushEventsToProcess();
    ASSERT_FALSE(events.m_events.empty());
    EXPECT_EQ(events.m_events.back(), std::make_pair(uint32_t(kEventAttributeDeleted), 1u));
    node->RemoveNodeListener(&events);
}

TEST(DynamicNodeTest, UpdateOutplugsKeepsConnections) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode(false, false);
    node->AddNumberAttribute("a", 1, 0, 10, 1, 0);
    EXPECT_EQ(node->GetNumOutplugs(), 0u);
    RefPtr<TestNode> source = new TestNode(0, 0, 1);
    ASSERT_TRUE(engine().ConnectNodes(source.Get(), 0, node.Get(), 0));
    node->UpdateOutplugs();
    EXPECT_EQ(node->GetNumOutplugs(), 0u);
    EXPECT_EQ(node->GetInplugNode(0), source.Get());
    Update::Get()->FlushEventsToProcess();
}

TEST(DynamicNodeTest, LoadedValuesApplyByNameAndType) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode(true, false);
    node->AddNumberAttribute("gain", 1, 0, 10, 1, 0);
    node->AddChoiceAttribute("mode", "fast,slow");
    node->AddPointAttribute("gain", {}, 0, 1, 1, 0);  // same name, other type
    node->AddRecord("gain", "POINT", "3,4");
    node->AddRecord("mode", "CHOICE", "slow");
    node->AddRecord("gain", "NUMBER", "0.1");
    node->AddRecord("missing", "NUMBER", "1");
    node->AddRecord("mode", "CHOICE", "medium");
    node->AddRecord("gain", "FRAME", "1,2,3,4");

    Status status = node->SetAttributeLoadedValues();
    EXPECT_EQ(status.GetCode(), 1);
    EXPECT_NE(status.GetMessage().find("missing"), std::string::npos);
    EXPECT_NE(status.GetMessage().find("medium"), std::string::npos);
    EXPECT_NE(status.GetMessage().find("FRAME"), std::string::npos);
    EXPECT_EQ(node->GetAttributeByIndex(0)->GetNumber(), 0.1);
    EXPECT_EQ(node->GetAttributeByIndex(1)->GetChoice(), "slow");
    EXPECT_EQ(node->GetAttributeByIndex(2)->GetPoint(), (Point{3, 4}));
    EXPECT_EQ(node->GetNumRecords(), 0u);
    EXPECT_TRUE(node->SetAttributeLoadedValues().IsOk());
    EXPECT_FALSE(node->StoreRecord(1, "gain", "NUMBER", "2", ""));
    Update::Get()->FlushEventsToProcess();
}
