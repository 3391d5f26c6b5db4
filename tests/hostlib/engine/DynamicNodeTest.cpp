#include <map>

#include "host/DynamicNode.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

// Has one regular number input, publishes its NUMBER attributes when built with outplugs and
// records the parameters of the events it processes, by type.
class TestDynamicNode : public DynamicNode {
public:
    explicit TestDynamicNode(bool outplugs_from_attributes)
        : DynamicNode(outplugs_from_attributes) {
        m_inplug_declarations.push_back({0, Value::Number, "input", 0, 0});
        UpdateOutplugs();
    }
    NodeType GetNodeType() const override { return NodeType(99, 0, 2); }
    std::string GetTypeName() const override { return "Dynamic"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    double GetNumberValue(uint32_t outplug) override {
        return GetAttributeByIndex(outplug)->GetNumber();
    }
    bool OnProcessEvent(NodeEvent event) override {
        m_events[event.m_type].push_back(event.m_parameter);
        return DynamicNode::OnProcessEvent(event);
    }

    using DynamicNode::m_loaded_records;
    std::map<uint32_t, std::vector<uint32_t>> m_events;
};

using DynamicNodeTest = EngineTest;

}  // namespace

TEST_F(DynamicNodeTest, AddingAndDeletingAttributesKeepsConnectionsOfTheOtherPlugs) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode(true);
    TestNode* source = Make(0, 0, 1);
    TestNode* target = Make(0, 1, 1);
    TestNode* number_target = Make(0, 1, 1);
    node->AddNumberAttribute("gain", 2.0, 0, 10, 0.5, 1);
    ASSERT_TRUE(Connect(source, 0, node.Get(), 1));  // the regular input
    ASSERT_TRUE(Connect(node.Get(), 0, target, 0));
    node->AddPointAttribute("at", {1, 2}, 0, 5, 1, 0);
    node->AddChoiceAttribute("mode", "fast,slow");
    node->AddBooleanAttribute("on", true);
    node->AddFrameAttribute("box", {1, 2, 3, 4});
    node->AddRgboAttribute("tint", {1, 0, 0, 1});
    EXPECT_EQ(node->AddStringAttribute("label", "x"), 6u);
    EXPECT_EQ(node->AddNumberAttribute("last", 3.0, 0, 10, 1, 0), 7u);
    // A choice is published as its text.
    EXPECT_EQ(node->GetOutplugValueType(2), Node::Value::String);
    EXPECT_EQ(node->GetInplugValueType(2), Node::Value::String);
    EXPECT_EQ(Targets(source), (std::vector<Link>{{node.Get(), 8}}));
    EXPECT_EQ(target->GetInplugNode(0), node.Get());
    ASSERT_TRUE(Connect(source, 0, node.Get(), 7));  // last
    ASSERT_TRUE(Connect(node.Get(), 7, number_target, 0));
    RefPtr<Attribute> deleted = node->GetAttribute("at");

    // Deleting moves the later attributes, plugs and the records of their connections down.
    EXPECT_FALSE(node->DeleteAttribute(8));
    ASSERT_TRUE(node->DeleteAttribute(1));
    ASSERT_EQ(node->GetNumAttributes(), 7u);
    EXPECT_EQ(node->GetAttributeByIndex(6)->GetId(), 6u);
    EXPECT_EQ(node->GetInplugName(6), "last");
    EXPECT_EQ(node->GetOutplugName(6), "last");
    EXPECT_EQ(Sources(node.Get()), (std::vector<Node*>{nullptr, nullptr, nullptr, nullptr, nullptr,
                                                       nullptr, source, source}));
    EXPECT_EQ(Targets(source), (std::vector<Link>{{node.Get(), 7}, {node.Get(), 6}}));
    EXPECT_EQ(number_target->GetInplugNodeOutplug(0), 6u);
    EXPECT_EQ(target->GetInplugNodeOutplug(0), 0u);
    EXPECT_EQ(node->GetOutplugConnectionOutplugId(1), 6u);
    // The outplugs still read their own attributes.
    Evaluate({{number_target, 0}});
    EXPECT_EQ(Result(number_target), 3.0);
    // The deleted attribute no longer belongs to the node.
    deleted->SetNumber(5, true);
    EXPECT_FALSE(number_target->IsOutplugDirty(0));
    Flush();
    EXPECT_EQ(node->m_events[kEventAttributeAdded],
              (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(node->m_events[kEventAttributeDeleted], std::vector<uint32_t>{1});

    // Without outplugs from attributes, a rebuild makes none and keeps the connections.
    RefPtr<TestDynamicNode> plain = new TestDynamicNode(false);
    plain->AddNumberAttribute("a", 1, 0, 10, 1, 0);
    ASSERT_TRUE(Connect(source, 0, plain.Get(), 0));
    plain->UpdateOutplugs();
    EXPECT_EQ(plain->GetNumOutplugs(), 0u);
    EXPECT_EQ(plain->GetInplugNode(0), source);
}

TEST_F(DynamicNodeTest, LoadedValuesApplyByNameAndType) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode(true);
    node->AddNumberAttribute("gain", 1, 0, 10, 1, 0);
    node->AddChoiceAttribute("mode", "fast,slow");
    node->AddPointAttribute("gain", {}, 0, 1, 1, 0);  // same name, other type
    node->m_loaded_records = {{"gain", "POINT", "3,4", ""},     {"mode", "CHOICE", "slow", ""},
                              {"gain", "NUMBER", "0.1", ""},    {"missing", "NUMBER", "1", ""},
                              {"mode", "CHOICE", "medium", ""}, {"gain", "FRAME", "1,2,3,4", ""}};

    Status status = node->SetAttributeLoadedValues();
    EXPECT_EQ(status.GetCode(), 1);
    for (const char* reported : {"missing", "medium", "FRAME"}) {
        EXPECT_NE(status.GetMessage().find(reported), std::string::npos) << reported;
    }
    EXPECT_EQ(node->GetAttributeByIndex(0)->GetNumber(), 0.1);
    EXPECT_EQ(node->GetAttributeByIndex(1)->GetChoice(), "slow");
    EXPECT_EQ(node->GetAttributeByIndex(2)->GetPoint(), (Point{3, 4}));
    EXPECT_TRUE(node->SetAttributeLoadedValues().IsOk());  // the records were used up
}
