#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/MaterialTemplate.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/CountRule.h"
#include "nodes/control/ImageSwitchNode.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/control/MaterialSwitchNode.h"

namespace {

TEST(CountRule, RoundsToNearestWithExactHalvesDownAndEmptyOrNanAsZero) {
    const struct {
        double m_number;
        int64_t m_count;
    } cases[] = {{2.5, 2},
                 {2.51, 3},
                 {-2.5, -3},
                 {-2.49, -2},
                 {0.5, 0},
                 {1.5, 1},
                 {3.0, 3},
                 {2.0000001, 2},
                 {-0.4, 0},
                 {-0.6, -1},
                 {1e300, int64_t(1) << 53},
                 {-std::numeric_limits<double>::infinity(), -(int64_t(1) << 53)},
                 {std::nan(""), 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CountRule::FromNumber(c.m_number), c.m_count) << c.m_number;
    }
    Node::Value value;
    value.m_number = 7.0;  // ignored while the value is empty
    EXPECT_EQ(CountRule::FromValue(value), 0);
    value.m_type = Node::Value::Number;
    EXPECT_EQ(CountRule::FromValue(value), 7);
}

void Evaluate(Node* node, uint32_t outplugs = 1) {
    std::vector<NodeOutplugEval> requests;
    for (uint32_t outplug = 0; outplug < outplugs; ++outplug) {
        requests.push_back({node, outplug, false});
    }
    EvaluateNodeOutplugs(requests).EvaluateAll();
}

class ControlNodesTest : public testing::Test {
protected:
    template <typename T>
    T* Add() {
        auto* node = new T;
        EXPECT_TRUE(m_graph->AddNode(node));
        return node;
    }

    Node* Create(uint32_t group, uint32_t kind) {
        Node* node = m_graph->CreateNode(NodeType(10, group, kind));
        EXPECT_NE(node, nullptr);
        return node;
    }

    RefPtr<NodeGraph> m_graph{new NodeGraph};
};

// Width of the switch's output: the test's solids are 1, 2 and 3 pixels wide. 0 for none.
uint32_t ChosenWidth(ImageSwitchNode* node) {
    Evaluate(node);
    const Image* image = node->GetImageValue(0);
    return image ? image->GetWidth() : 0;
}

TEST_F(ControlNodesTest, ImageSwitchPicksACopyOfTheIndexedInputAndNoneOutsideTheInputs) {
    auto* node = Add<ImageSwitchNode>();
    // The image input grows as inputs are connected, in input order.
    std::vector<Node*> solids;
    for (uint32_t width = 1; width <= 3; ++width) {
        Node* solid = Create(3, 0);
        solid->GetAttribute("width")->SetNumber(width, false);
        solid->GetAttribute("height")->SetNumber(1, false);
        ASSERT_TRUE(m_graph->ConnectNodes(solid, "image", 0, node, "image", width - 1));
        solids.push_back(solid);
    }
    ASSERT_EQ(node->GetNumInplugs(), 5u) << "the index, three inputs and a free one";

    Attribute* index = node->GetAttribute("index");
    const struct {
        double m_index;
        uint32_t m_width;
    } cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 0}, {5, 0}, {1.5, 1}, {1.51, 2}, {2.5, 2}};
    for (const auto& c : cases) {
        index->SetNumber(c.m_index, false);
        EXPECT_EQ(ChosenWidth(node), c.m_width) << "index " << c.m_index;
    }

    index->SetNumber(2, false);
    Evaluate(node);
    ASSERT_NE(node->GetImageValue(0), nullptr);
    EXPECT_NE(node->GetImageValue(0), solids[1]->GetImageValue(0)) << "a copy, not the input";
    EXPECT_EQ(node->GetImageValue(1), nullptr) << "only outplug 0 has a value";

    // A number connected to the index: 0 lands on the index inplug itself, negatives outside.
    Node* number = Create(2, 0);
    ASSERT_TRUE(m_graph->ConnectNodes(number, "number", 0, node, "index", 0));
    for (const double value : {0.0, -1.0, -4.0, 3.0}) {
        number->GetAttribute("value")->SetNumber(value, false);
        EXPECT_EQ(ChosenWidth(node), value == 3.0 ? 3u : 0u) << "connected index " << value;
    }

    // Event 11 lets the copy go until the next evaluation; an inactive node makes none.
    EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(node->GetImageValue(0), nullptr);
    EXPECT_EQ(ChosenWidth(node), 3u);
    node->SetActive(false);
    EXPECT_EQ(ChosenWidth(node), 0u);
}

TEST_F(ControlNodesTest, MaterialSwitchPicksADeepCopyOfTheIndexedMaterial) {
    auto* node = Add<MaterialSwitchNode>();
    Node* plain = Create(4, 0);
    Node* textured = Create(4, 0);
    ASSERT_TRUE(m_graph->ConnectNodes(Create(3, 0), "image", 0, textured, "base_color", 0));
    ASSERT_TRUE(m_graph->ConnectNodes(plain, "material", 0, node, "material", 0));
    ASSERT_TRUE(m_graph->ConnectNodes(textured, "material", 0, node, "material", 1));

    Attribute* index = node->GetAttribute("index");
    index->SetNumber(2, false);
    Evaluate(node);
    const Material* chosen = node->GetMaterialValue(0);
    const Material* source = textured->GetMaterialValue(0);
    ASSERT_TRUE(chosen && chosen->GetImage("base_color"));
    EXPECT_NE(chosen, source);
    EXPECT_NE(chosen->GetImage("base_color"), source->GetImage("base_color"))
        << "the material's images are copied too";
    EXPECT_EQ(node->GetMaterialValue(1), nullptr);

    index->SetNumber(1, false);
    Evaluate(node);
    ASSERT_NE(node->GetMaterialValue(0), nullptr);
    EXPECT_EQ(node->GetMaterialValue(0)->GetImage("base_color"), nullptr);
    EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(node->GetMaterialValue(0), nullptr);
    index->SetNumber(3, false);
    Evaluate(node);
    EXPECT_EQ(node->GetMaterialValue(0), nullptr) << "the free input carries nothing";

    // Only a material-tagged input that holds a material is picked.
    MaterialSwitchNode lone;
    const RefPtr<Material> material(new Material(MaterialTemplate::Pbr()));
    Node::Value one;
    one.m_type = Node::Value::Number;
    one.m_number = 1;
    Node::Value input;
    input.m_material = material.Get();
    const std::vector<const Node::Value*> values{&one, &input};
    input.m_type = Node::Value::Image;
    lone.EvaluateOutplug(0, values);
    EXPECT_EQ(lone.GetMaterialValue(0), nullptr);
    input.m_type = Node::Value::Material;
    lone.EvaluateOutplug(0, values);
    EXPECT_NE(lone.GetMaterialValue(0), nullptr);
    input.m_material = nullptr;
    lone.EvaluateOutplug(0, values);
    EXPECT_EQ(lone.GetMaterialValue(0), nullptr);
}

TEST_F(ControlNodesTest, LoopIterationsPublishesItsTwoAttributesAsWholeCounts) {
    auto* node = Add<LoopIterationsNode>();
    Evaluate(node, 2);
    EXPECT_TRUE(node->GetNumberValue(0) == 1 && node->GetNumberValue(1) == 1);

    // What a Node Graph node writes between runs, beyond the attribute's own maximum too.
    node->GetAttribute("iteration")->SetNumber(2.5, false);
    node->GetAttribute("iterations")->SetNumber(2.51, false);
    Evaluate(node, 2);
    EXPECT_EQ(node->GetNumberValue(0), 2);
    EXPECT_EQ(node->GetNumberValue(1), 3);
    EXPECT_EQ(node->GetNumberValue(7), 3) << "any other outplug gives the iterations";
    node->GetAttribute("iterations")->SetNumber(100000, false);
    node->SetActive(false);
    Evaluate(node, 2);
    EXPECT_EQ(node->GetNumberValue(1), 100000) << "computed even while inactive";

    // A connected number stands in for the attribute.
    Node* number = Create(2, 0);
    ASSERT_TRUE(m_graph->ConnectNodes(number, "number", 0, node, "iteration", 0));
    number->GetAttribute("value")->SetNumber(7.4, false);
    Evaluate(node, 2);
    EXPECT_EQ(node->GetNumberValue(0), 7);
}

}  // namespace
