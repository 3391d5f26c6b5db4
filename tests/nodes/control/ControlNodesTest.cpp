#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/CountRule.h"
#include "nodes/control/ImageSwitchNode.h"
#include "nodes/control/MaterialSwitchNode.h"

namespace {

TEST(CountRule, RoundsToNearestWithExactHalvesDownAndEmptyOrNanAsZero) {
    const std::pair<double, int64_t> cases[] = {
        {2.5, 2},          {2.51, 3},
        {-2.5, -3},        {-2.49, -2},
        {0.5, 0},          {-0.6, -1},
        {-0.4, 0},         {3.0, 3},
        {2.0000001, 2},    {1e300, int64_t(1) << 53},
        {std::nan(""), 0}, {-std::numeric_limits<double>::infinity(), -(int64_t(1) << 53)}};
    for (const auto& [number, count] : cases) {
        EXPECT_EQ(CountRule::FromNumber(number), count) << number;
    }
    Node::Value value;
    value.m_number = 7.0;  // ignored while the value is empty
    EXPECT_EQ(CountRule::FromValue(value), 0);
}

// The switch's output after a fresh evaluation: `width` of its image (the solids are 1, 2 and 3
// pixels wide), 0 for none.
uint32_t ChosenWidth(ImageSwitchNode& node) {
    EvaluateNodeOutplugs({{&node, 0, false}}).EvaluateAll();
    const Image* image = node.GetImageValue(0);
    return image ? image->GetWidth() : 0;
}

TEST(ControlNodes, SwitchesPickACopyOfTheIndexedInputAndNoneOutsideTheInputs) {
    RefPtr<NodeGraph> graph(new NodeGraph);
    auto* node = new ImageSwitchNode;
    ASSERT_TRUE(graph->AddNode(node));
    std::vector<Node*> solids;
    for (uint32_t width = 1; width <= 3; ++width) {
        Node* solid = graph->CreateNode(NodeType(10, 3, 0));
        ASSERT_NE(solid, nullptr);
        solid->GetAttribute("width")->SetNumber(width, false);
        ASSERT_TRUE(graph->ConnectNodes(solid, "image", 0, node, "image", width - 1));
        solids.push_back(solid);
    }
    // A connected index: 0 lands on the index inplug itself, negatives wrap past the end.
    Node* index = graph->CreateNode(NodeType(10, 2, 0));
    ASSERT_TRUE(index && graph->ConnectNodes(index, "number", 0, node, "index", 0));
    const std::pair<double, uint32_t> cases[] = {{1, 1},  {2, 2},  {3, 3},   {4, 0},   {0, 0},
                                                 {-1, 0}, {-4, 0}, {1.5, 1}, {1.51, 2}};
    for (const auto& [value, width] : cases) {
        index->GetAttribute("value")->SetNumber(value, false);
        EXPECT_EQ(ChosenWidth(*node), width) << "index " << value;
    }
    EXPECT_NE(node->GetImageValue(0), solids[1]->GetImageValue(0)) << "a copy, not the input";
    EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(node->GetImageValue(0), nullptr);
    node->SetActive(false);
    EXPECT_EQ(ChosenWidth(*node), 0u);

    // The material switch copies the material's images too.
    auto* materials = new MaterialSwitchNode;
    ASSERT_TRUE(graph->AddNode(materials));
    Node* plain = graph->CreateNode(NodeType(10, 4, 0));
    Node* textured = graph->CreateNode(NodeType(10, 4, 0));
    ASSERT_TRUE(plain && textured);
    ASSERT_TRUE(graph->ConnectNodes(solids[0], "image", 0, textured, "base_color", 0));
    ASSERT_TRUE(graph->ConnectNodes(plain, "material", 0, materials, "material", 0));
    ASSERT_TRUE(graph->ConnectNodes(textured, "material", 0, materials, "material", 1));
    ASSERT_TRUE(graph->ConnectNodes(index, "number", 0, materials, "index", 0));
    for (Node* source : {plain, textured}) {
        index->GetAttribute("value")->SetNumber(source == plain ? 1 : 2, false);
        EvaluateNodeOutplugs({{materials, 0, false}}).EvaluateAll();
        const Material* chosen = materials->GetMaterialValue(0);
        const Material* original = source->GetMaterialValue(0);
        ASSERT_TRUE(chosen && original && chosen != original);
        EXPECT_EQ(chosen->GetImage("base_color") != nullptr, source == textured);
        if (source == textured) {
            EXPECT_NE(chosen->GetImage("base_color"), original->GetImage("base_color"));
        }
    }
    EXPECT_TRUE(materials->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(materials->GetMaterialValue(0), nullptr);
}

}  // namespace
