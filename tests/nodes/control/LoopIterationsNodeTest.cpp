#include <gtest/gtest.h>

#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/control/LoopIterationsNode.h"

namespace {

void Evaluate(Node* node) {
    EvaluateNodeOutplugs evaluation({{node, 0, false}, {node, 1, false}});
    evaluation.EvaluateAll();
}

TEST(LoopIterationsNode, PublishesItsTwoAttributesAsWholeCounts) {
    RefPtr<NodeGraph> graph(new NodeGraph);
    auto* node = new LoopIterationsNode;
    ASSERT_TRUE(graph->AddNode(node));
    ASSERT_EQ(node->GetNumOutplugs(), 2u);
    EXPECT_TRUE(node->GetOutplugName(0) == "iteration" && node->GetOutplugName(1) == "iterations");
    for (const char* name : {"iteration", "iterations"}) {
        const Attribute* attribute = node->GetAttribute(name);
        ASSERT_NE(attribute, nullptr) << name;
        EXPECT_TRUE(attribute->GetNumber() == 1 && attribute->GetMinimum() == 1 &&
                    attribute->GetMaximum() == 10000 && attribute->GetDecimals() == 0)
            << name;
    }
    EXPECT_TRUE(node->GetNumberValue(0) == 0 && node->GetNumberValue(1) == 0)
        << "nothing before the first evaluation";
    Evaluate(node);
    EXPECT_TRUE(node->GetNumberValue(0) == 1 && node->GetNumberValue(1) == 1);

    // What a Node Graph node writes between runs, beyond the attribute's own maximum too.
    node->GetAttribute("iteration")->SetNumber(2.5, false);
    node->GetAttribute("iterations")->SetNumber(2.51, false);
    Evaluate(node);
    EXPECT_EQ(node->GetNumberValue(0), 2);
    EXPECT_EQ(node->GetNumberValue(1), 3);
    EXPECT_EQ(node->GetNumberValue(7), 3) << "any other outplug gives the iterations";
    node->GetAttribute("iterations")->SetNumber(100000, false);
    node->SetActive(false);
    Evaluate(node);
    EXPECT_EQ(node->GetNumberValue(1), 100000) << "computed even while inactive";

    // A connected number stands in for the attribute.
    Node* number = graph->CreateNode(NodeType(10, 2, 0));
    ASSERT_TRUE(number && graph->ConnectNodes(number, "number", 0, node, "iteration", 0));
    number->GetAttribute("value")->SetNumber(7.4, false);
    Evaluate(node);
    EXPECT_EQ(node->GetNumberValue(0), 7);
}

}  // namespace
