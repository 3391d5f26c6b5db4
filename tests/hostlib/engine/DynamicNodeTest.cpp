#include "host/DynamicNode.h"
#include "tests/hostlib/engine/EngineTest.h"

namespace {

// One regular number input after the attribute inplugs; every attribute has its outplug.
class TestDynamicNode : public DynamicNode {
public:
    TestDynamicNode() : DynamicNode(true) {
        m_inplug_declarations.push_back({0, Value::Number, "input", 0, 0});
        UpdateOutplugs();
    }
    NodeType GetNodeType() const override { return NodeType(99, 0, 2); }
    std::string GetTypeName() const override { return "Dynamic"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    double GetNumberValue(uint32_t outplug) override {
        return GetAttributeByIndex(outplug)->GetNumber();
    }
};

using DynamicNodeTest = EngineTest;

}  // namespace

// Deleting moves the later attributes, plugs and the records of their connections down.
TEST_F(DynamicNodeTest, DeletingAnAttributeKeepsConnectionsOfTheOtherPlugs) {
    RefPtr<TestDynamicNode> node = new TestDynamicNode();
    TestNode* source = Make(0, 0, 1);
    TestNode* first_target = Make(0, 1, 1);
    TestNode* last_target = Make(0, 1, 1);
    node->AddNumberAttribute("gain", 2.0, 0, 10, 0.5, 1);
    node->AddPointAttribute("at", {1, 2}, 0, 5, 1, 0);
    node->AddNumberAttribute("last", 3.0, 0, 10, 1, 0);
    ASSERT_TRUE(Connect(source, 0, node.Get(), 3));  // the regular input
    ASSERT_TRUE(Connect(source, 0, node.Get(), 2));
    ASSERT_TRUE(Connect(node.Get(), 0, first_target, 0));
    ASSERT_TRUE(Connect(node.Get(), 2, last_target, 0));

    ASSERT_TRUE(node->DeleteAttribute(1));
    EXPECT_EQ(node->GetAttributeByIndex(1)->GetId(), 1u);
    EXPECT_EQ(Sources(node.Get()), (std::vector<Node*>{nullptr, source, source}));
    EXPECT_EQ(Targets(source), (std::vector<Link>{{node.Get(), 2}, {node.Get(), 1}}));
    EXPECT_EQ(Targets(node.Get()), (std::vector<Link>{{first_target, 0}, {last_target, 0}}));
    EXPECT_EQ(node->GetOutplugConnectionOutplugId(1), 1u);
    EXPECT_EQ(last_target->GetInplugNodeOutplug(0), 1u);
    Evaluate({{last_target, 0}});
    EXPECT_EQ(Result(last_target), 3.0);
}
