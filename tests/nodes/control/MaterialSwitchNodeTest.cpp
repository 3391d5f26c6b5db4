#include <gtest/gtest.h>

#include <vector>

#include "host/EvaluateNodeOutplugs.h"
#include "host/Material.h"
#include "host/MaterialTemplate.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/control/MaterialSwitchNode.h"

namespace {

Material* Evaluate(MaterialSwitchNode* node) {
    EvaluateNodeOutplugs evaluation({{node, 0, false}});
    evaluation.EvaluateAll();
    return node->GetMaterialValue(0);
}

TEST(MaterialSwitchNode, PicksADeepCopyOfTheIndexedMaterial) {
    RefPtr<NodeGraph> graph(new NodeGraph);
    auto* node = new MaterialSwitchNode;
    ASSERT_TRUE(graph->AddNode(node));
    Node* plain = graph->CreateNode(NodeType(10, 4, 0));
    Node* textured = graph->CreateNode(NodeType(10, 4, 0));
    Node* solid = graph->CreateNode(NodeType(10, 3, 0));
    ASSERT_TRUE(plain && textured && solid);
    ASSERT_TRUE(graph->ConnectNodes(solid, "image", 0, textured, "base_color", 0));
    ASSERT_TRUE(graph->ConnectNodes(plain, "material", 0, node, "material", 0));
    ASSERT_TRUE(graph->ConnectNodes(textured, "material", 0, node, "material", 1));

    Attribute* index = node->GetAttribute("index");
    index->SetNumber(2, false);
    const Material* chosen = Evaluate(node);
    ASSERT_NE(chosen, nullptr);
    const Material* source = textured->GetMaterialValue(0);
    EXPECT_NE(chosen, source);
    ASSERT_NE(chosen->GetImage("base_color"), nullptr);
    EXPECT_NE(chosen->GetImage("base_color"), source->GetImage("base_color"))
        << "the material's images are copied too";
    EXPECT_EQ(node->GetMaterialValue(1), nullptr);

    index->SetNumber(1, false);
    chosen = Evaluate(node);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->GetImage("base_color"), nullptr);
    index->SetNumber(3, false);
    EXPECT_EQ(Evaluate(node), nullptr) << "the free input carries nothing";

    index->SetNumber(1, false);
    ASSERT_NE(Evaluate(node), nullptr);
    EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
    EXPECT_EQ(node->GetMaterialValue(0), nullptr);
}

TEST(MaterialSwitchNode, IgnoresAnInputOfAnotherTypeOrWithoutMaterial) {
    MaterialSwitchNode node;
    const RefPtr<Material> material(new Material(MaterialTemplate::Pbr()));
    Node::Value index;
    index.m_type = Node::Value::Number;
    index.m_number = 1;
    Node::Value input;
    input.m_material = material.Get();
    const std::vector<const Node::Value*> values{&index, &input};

    input.m_type = Node::Value::Image;
    node.EvaluateOutplug(0, values);
    EXPECT_EQ(node.GetMaterialValue(0), nullptr);
    input.m_type = Node::Value::Material;
    node.EvaluateOutplug(0, values);
    EXPECT_NE(node.GetMaterialValue(0), nullptr);
    input.m_material = nullptr;
    node.EvaluateOutplug(0, values);
    EXPECT_EQ(node.GetMaterialValue(0), nullptr);
}

}  // namespace
