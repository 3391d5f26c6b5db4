#include <gtest/gtest.h>

#include <string>

#include "host/Attribute.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"
#include "nodes/attributes/AttributesNode.h"

namespace {

// One attribute of each type, current values away from the defaults.
void AddOneOfEach(AttributesNode& node) {
    node.AddBooleanAttribute("flag", false);
    node.AddNumberAttribute("gain", 2, 0, 10, 0.5, 1);
    node.AddPointAttribute("centre", {1, 1}, -5, 5, 0.25, 2);
    node.AddFrameAttribute("crop", {0, 0, 8, 8});
    node.AddRgboAttribute("tint", {0, 0, 0, 0});
    node.AddChoiceAttribute("level", "low,mid,high");
    node.AddStringAttribute("label", "");
    node.GetAttributeByIndex(0)->SetBoolean(true, false);
    node.GetAttributeByIndex(1)->SetNumber(5, false);
    node.GetAttributeByIndex(2)->SetPoint({3, 4}, false);
    node.GetAttributeByIndex(3)->SetFrame({1, 2, 30, 40}, false);
    node.GetAttributeByIndex(4)->SetRgbo({0.25, 0.5, 0.75, 1}, false);
    node.GetAttributeByIndex(5)->SetChoice("mid", false);
    node.GetAttributeByIndex(6)->SetString("hello", false);
}

// Every getter on every outplug of a node made by AddOneOfEach: the value on the outplug of its
// own type, the zero value everywhere else.
void ExpectOneOfEachValues(AttributesNode& node) {
    for (uint32_t k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(node.GetBooleanValue(k), k == 0);
        EXPECT_EQ(node.GetNumberValue(k), k == 1 ? 5.0 : 0.0);
        EXPECT_EQ(node.GetPointValue(k), (k == 2 ? Point{3, 4} : Point{}));
        EXPECT_EQ(node.GetFrameValue(k), (k == 3 ? Frame{1, 2, 30, 40} : Frame{}));
        EXPECT_EQ(node.GetRgboValue(k), (k == 4 ? Rgbo{0.25, 0.5, 0.75, 1} : Rgbo{}));
        EXPECT_EQ(node.GetStringValue(k), k == 5 ? "mid" : k == 6 ? "hello" : "");
    }
}

TEST(AttributesNode, PublishesEachAttributeOnItsOutplug) {
    RefPtr<AttributesNode> node = new AttributesNode;
    EXPECT_EQ(node->GetNumOutplugs(), 0u);
    EXPECT_FALSE(node->GetBooleanValue(0));
    EXPECT_EQ(node->GetStringValue(0), "");

    AddOneOfEach(*node);
    ExpectOneOfEachValues(*node);
    // A boolean is not a number, even though it is held as one.
    EXPECT_EQ(node->GetNumberValue(0), 0.0);

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
    EXPECT_EQ(copy->GetNumOutplugs(), 7u);
    for (uint32_t k = 0; k < 7; ++k) {
        const Attribute& made = *copy->GetAttributeByIndex(k);
        const Attribute& original = *source->GetAttributeByIndex(k);
        EXPECT_EQ(made.GetName(), original.GetName());
        EXPECT_EQ(made.GetType(), original.GetType());
        EXPECT_EQ(made.GetChoiceNames(), original.GetChoiceNames());
        if (k == 1 || k == 2) {
            EXPECT_EQ(made.GetMinimum(), original.GetMinimum());
            EXPECT_EQ(made.GetMaximum(), original.GetMaximum());
            EXPECT_EQ(made.GetSingleStep(), original.GetSingleStep());
            EXPECT_EQ(made.GetDecimals(), original.GetDecimals());
        }
    }
    // A number starts from the default, a string empty, the others from the current value.
    EXPECT_TRUE(copy->GetBooleanValue(0));
    EXPECT_EQ(copy->GetNumberValue(1), 2.0);
    EXPECT_EQ(copy->GetPointValue(2), (Point{3, 4}));
    EXPECT_EQ(copy->GetFrameValue(3), (Frame{1, 2, 30, 40}));
    EXPECT_EQ(copy->GetRgboValue(4), (Rgbo{0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(copy->GetStringValue(6), "");

    // Another node type gives nothing.
    RefPtr<Node> text = NodeTypeRegistry::Get().CreateNode(NodeType(10, 2, 6));
    ASSERT_TRUE(text);
    RefPtr<AttributesNode> other = new AttributesNode;
    other->CopyFrom(text.Get());
    EXPECT_EQ(other->GetNumAttributes(), 0u);
}

}  // namespace
