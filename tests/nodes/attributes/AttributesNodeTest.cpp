#include <gtest/gtest.h>

#include <string>

#include "host/Attribute.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"
#include "nodes/attributes/AttributesNode.h"
#include "tests/nodes/attributes/AttributesTestHelpers.h"

namespace {

// Each attribute on the outplug of its own type; every other getter gives the zero value.
TEST(AttributesNode, PublishesEachAttributeOnItsOutplug) {
    RefPtr<AttributesNode> node = new AttributesNode;
    EXPECT_EQ(node->GetNumOutplugs(), 0u);
    AddOneOfEach(*node);
    for (uint32_t k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(node->GetBooleanValue(k), k == 0);
        // A boolean is not a number, even though it is held as one.
        EXPECT_EQ(node->GetNumberValue(k), k == 1 ? 5.0 : 0.0);
        EXPECT_EQ(node->GetPointValue(k), (k == 2 ? Point{3, 4} : Point{}));
        EXPECT_EQ(node->GetFrameValue(k), (k == 3 ? Frame{1, 2, 30, 40} : Frame{}));
        EXPECT_EQ(node->GetRgboValue(k), (k == 4 ? Rgbo{0.25, 0.5, 0.75, 1} : Rgbo{}));
        EXPECT_EQ(node->GetStringValue(k), k == 5 ? "mid" : k == 6 ? "hello" : "");
    }
    using V = Node::Value;
    const V::Type types[] = {V::Boolean, V::Number, V::Point, V::Frame,
                             V::Rgbo,    V::String, V::String};
    ASSERT_EQ(node->GetNumOutplugs(), 7u);
    for (uint32_t k = 0; k < 7; ++k) {
        EXPECT_EQ(node->GetOutplugValueType(k), types[k]) << k;
    }
    node->DeleteAttribute(0);
    EXPECT_EQ(node->GetNumOutplugs(), 6u);
    EXPECT_EQ(node->GetNumberValue(0), 5.0);
}

TEST(AttributesNode, CopyRecreatesTheDefinitions) {
    RefPtr<AttributesNode> source = new AttributesNode;
    AddOneOfEach(*source);
    RefPtr<AttributesNode> copy = new AttributesNode;
    copy->CopyFrom(source.Get());
    ASSERT_EQ(copy->GetNumAttributes(), 7u);
    // A number and a choice start from the definition, a string empty, the others from the value.
    const std::string values[] = {"1", "2", "3,4", "1,2,30,40", "0.25,0.5,0.75,1", "low", ""};
    auto definition = [](const Attribute& a, const std::string& value) {
        return a.GetName() + " " + a.GetTypeName() + " " + value + " " + Num(a.GetMinimum()) +
               ".." + Num(a.GetMaximum()) + " by " + Num(a.GetSingleStep()) + ", " +
               std::to_string(a.GetDecimals()) + " " + StringJoin(a.GetChoiceNames(), ",");
    };
    for (uint32_t k = 0; k < 7; ++k) {
        const Attribute& made = *copy->GetAttributeByIndex(k);
        EXPECT_EQ(definition(made, made.GetValueText()),
                  definition(*source->GetAttributeByIndex(k), values[k]));
    }
    // Another node type gives nothing.
    RefPtr<Node> text = NodeTypeRegistry::Get().CreateNode(NodeType(10, 2, 6));
    ASSERT_TRUE(text);
    RefPtr<AttributesNode> other = new AttributesNode;
    other->CopyFrom(text.Get());
    EXPECT_EQ(other->GetNumAttributes(), 0u);
}

}  // namespace
