#include <gtest/gtest.h>

#include <vector>

#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/control/ImageSwitchNode.h"

namespace {

void Evaluate(Node* node) {
    EvaluateNodeOutplugs evaluation({{node, 0, false}});
    evaluation.EvaluateAll();
}

// Width of the switch's output: the test's solids are 1, 2 and 3 pixels wide. 0 for none.
uint32_t ChosenWidth(ImageSwitchNode* node) {
    Evaluate(node);
    const Image* image = node->GetImageValue(0);
    return image ? image->GetWidth() : 0;
}

TEST(ImageSwitchNode, PicksACopyOfTheIndexedInputAndGivesNoneOutsideTheInputs) {
    RefPtr<NodeGraph> graph(new NodeGraph);
    auto* node = new ImageSwitchNode;
    ASSERT_TRUE(graph->AddNode(node));
    const Attribute* index = node->GetAttribute("index");
    ASSERT_NE(index, nullptr);
    EXPECT_TRUE(index->GetNumber() == 1 && index->GetMinimum() == 1 &&
                index->GetMaximum() == 1000 && index->GetSingleStep() == 1 &&
                index->GetDecimals() == 0);
    EXPECT_EQ(node->GetImageValue(0), nullptr);

    // The image input grows as inputs are connected, in input order.
    std::vector<Node*> solids;
    for (uint32_t width = 1; width <= 3; ++width) {
        Node* solid = graph->CreateNode(NodeType(10, 3, 0));
        ASSERT_NE(solid, nullptr);
        solid->GetAttribute("width")->SetNumber(width, false);
        solid->GetAttribute("height")->SetNumber(1, false);
        ASSERT_TRUE(graph->ConnectNodes(solid, "image", 0, node, "image", width - 1));
        solids.push_back(solid);
    }
    ASSERT_EQ(node->GetNumInplugs(), 5u) << "the index, three inputs and a free one";

    Attribute* index_attribute = node->GetAttribute("index");
    const struct {
        double m_index;
        uint32_t m_width;
    } cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 0}, {5, 0}, {1.5, 1}, {1.51, 2}, {2.5, 2}};
    for (const auto& c : cases) {
        index_attribute->SetNumber(c.m_index, false);
        EXPECT_EQ(ChosenWidth(node), c.m_width) << "index " << c.m_index;
    }

    index_attribute->SetNumber(2, false);
    Evaluate(node);
    Image* output = node->GetImageValue(0);
    ASSERT_NE(output, nullptr);
    EXPECT_NE(output, solids[1]->GetImageValue(0)) << "a copy, not the input itself";
    EXPECT_EQ(node->GetImageValue(1), nullptr) << "only outplug 0 has a value";

    // A number connected to the index: 0 lands on the index inplug itself, negatives outside.
    Node* number = graph->CreateNode(NodeType(10, 2, 0));
    ASSERT_TRUE(number && graph->ConnectNodes(number, "number", 0, node, "index", 0));
    for (const double value : {0.0, -1.0, -4.0, 3.0}) {
        number->GetAttribute("value")->SetNumber(value, false);
        EXPECT_EQ(ChosenWidth(node), value == 3.0 ? 3u : 0u) << "connected index " << value;
    }

    // Event 11 lets the copy go until the next evaluation; an inactive node makes none.
    ASSERT_NE(node->GetImageValue(0), nullptr);
    EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(node->GetImageValue(0), nullptr);
    EXPECT_EQ(ChosenWidth(node), 3u);
    node->SetActive(false);
    EXPECT_EQ(ChosenWidth(node), 0u);
}

}  // namespace
