#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/BezierSpline.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/MaterialTemplate.h"
#include "host/NodeGraph.h"
#include "host/NodeListener.h"
#include "host/RefPtr.h"
#include "nodes/io/BooleanIoNode.h"
#include "nodes/io/CurvesIoNode.h"
#include "nodes/io/FrameIoNode.h"
#include "nodes/io/ImageIoNode.h"
#include "nodes/io/MaterialIoNode.h"
#include "nodes/io/NumberIoNode.h"
#include "nodes/io/PointIoNode.h"
#include "nodes/io/RgboIoNode.h"

namespace {

using Value = Node::Value;

// Evaluates an IO node with `input` at its regular input and the attribute inplugs empty.
void Evaluate(Node& node, const Value& input) {
    const Value empty;
    std::vector<const Value*> values(node.GetNumInplugs(), &empty);
    values.at(node.GetInplugIdFromRegularInputId(0)) = &input;
    node.EvaluateOutplug(0, values);
}

template <typename T>
RefPtr<Node> Make() {
    return RefPtr<Node>(new T);
}

// A value IO node: how to fill an input of its kind and how to read what it holds.
struct ValueKind {
    std::function<RefPtr<Node>()> m_make;
    std::function<void(Value&)> m_fill;
    std::function<std::array<double, 4>(Node&, uint32_t)> m_read;
    std::array<double, 4> m_filled;
};

TEST(IoNodes, ValueNodesPassTheirInputAndResetOnEmptyInputOrInactiveNode) {
    const std::vector<ValueKind> kinds = {
        {Make<BooleanIoNode>,
         [](Value& v) { v.m_boolean = true; },
         [](Node& n, uint32_t o) { return std::array<double, 4>{double(n.GetBooleanValue(o))}; },
         {1, 0, 0, 0}},
        {Make<NumberIoNode>,
         [](Value& v) { v.m_number = 2.5; },
         [](Node& n, uint32_t o) { return std::array<double, 4>{n.GetNumberValue(o)}; },
         {2.5, 0, 0, 0}},
        {Make<PointIoNode>,
         [](Value& v) {
             v.m_point = {1, 2};
         },
         [](Node& n, uint32_t o) {
             const Point p = n.GetPointValue(o);
             return std::array<double, 4>{p.x, p.y};
         },
         {1, 2, 0, 0}},
        {Make<FrameIoNode>,
         [](Value& v) {
             v.m_frame = {1, 2, 3, 4};
         },
         [](Node& n, uint32_t o) {
             const Frame f = n.GetFrameValue(o);
             return std::array<double, 4>{f.x, f.y, f.width, f.height};
         },
         {1, 2, 3, 4}},
        {Make<RgboIoNode>,
         [](Value& v) {
             v.m_rgbo = {0.1, 0.2, 0.3, 0.4};
         },
         [](Node& n, uint32_t o) {
             const Rgbo c = n.GetRgboValue(o);
             return std::array<double, 4>{c.r, c.g, c.b, c.o};
         },
         {0.1, 0.2, 0.3, 0.4}},
    };
    const std::array<double, 4> zero{};
    for (const ValueKind& kind : kinds) {
        const RefPtr<Node> node = kind.m_make();
        SCOPED_TRACE(node->GetTypeName());
        EXPECT_EQ(kind.m_read(*node, 0), zero) << "before the first evaluation";

        Value input;
        input.m_type = node->GetOutplugValueType(0);
        kind.m_fill(input);
        Evaluate(*node, input);
        EXPECT_EQ(kind.m_read(*node, 0), kind.m_filled);
        EXPECT_EQ(kind.m_read(*node, 7), kind.m_filled) << "any outplug index gives the value";

        Value empty = input;
        empty.m_type = Value::None;  // the members still hold data: only the tag counts
        Evaluate(*node, empty);
        EXPECT_EQ(kind.m_read(*node, 0), zero) << "an empty input resets";

        Evaluate(*node, input);
        node->SetActive(false);
        Evaluate(*node, input);
        EXPECT_EQ(kind.m_read(*node, 0), zero) << "an inactive node resets";
    }

    NumberIoNode number;
    Value input;
    input.m_type = Value::Number;
    input.m_number = 3;
    Evaluate(number, input);
    EXPECT_EQ(number.GetPointValue(0), Point{}) << "the other getters keep the zero default";
}

class CountingListener : public NodeListener {
public:
    void OnNodeEvent(Node*, const NodeEvent&) override { ++m_events; }
    int m_events = 0;
};

TEST(IoNodes, ImageAndMaterialNodesBorrowTheArrivingObjectAndAnswerEventsThemselves) {
    const RefPtr<Image> image(new Image(4, 4));
    const RefPtr<Material> material(new Material(MaterialTemplate::Pbr()));

    ImageIoNode image_node;
    EXPECT_EQ(image_node.GetImageValue(0), nullptr);
    Value image_value;
    image_value.m_type = Value::Image;
    image_value.m_image = image.Get();
    Evaluate(image_node, image_value);
    EXPECT_EQ(image_node.GetImageValue(3), image.Get()) << "held, not copied";
    image_value.m_type = Value::None;
    Evaluate(image_node, image_value);
    EXPECT_EQ(image_node.GetImageValue(0), nullptr);
    image_value.m_type = Value::Image;
    Evaluate(image_node, image_value);
    image_node.SetActive(false);
    Evaluate(image_node, image_value);
    EXPECT_EQ(image_node.GetImageValue(0), nullptr);

    // The material node takes whatever material arrives, whatever the type tag says.
    MaterialIoNode material_node;
    EXPECT_EQ(material_node.GetMaterialValue(0), nullptr);
    Value material_value;
    material_value.m_material = material.Get();
    Evaluate(material_node, material_value);
    EXPECT_EQ(material_node.GetMaterialValue(2), material.Get());
    material_value.m_material = nullptr;
    material_value.m_type = Value::Material;
    Evaluate(material_node, material_value);
    EXPECT_EQ(material_node.GetMaterialValue(0), nullptr);
    material_value.m_material = material.Get();
    material_node.SetActive(false);
    Evaluate(material_node, material_value);
    EXPECT_EQ(material_node.GetMaterialValue(0), nullptr);

    // Both answer every event with true and keep the host's handling (listeners) out of it, while
    // an ordinary IO node passes events on.
    CountingListener listener;
    NumberIoNode number_node;
    for (Node* node : std::vector<Node*>{&image_node, &material_node, &number_node}) {
        node->AddNodeListener(&listener);
        EXPECT_TRUE(node->ProcessEvent(kEventInplugChanged, 1));
        EXPECT_TRUE(node->ProcessEvent(kEventReleaseImages, 0));
        node->RemoveNodeListener(&listener);
    }
    EXPECT_EQ(listener.m_events, 2) << "only the number node's two events reach the listener";
}

TEST(IoNodes, CurvesNodeKeepsItsOwnCopiesUntilNewCurvesArrive) {
    auto curves = std::make_unique<std::vector<BezierSpline>>(std::vector<BezierSpline>{
        BezierSpline({{0, 0}, {1, 0}, {1, 1}, {2, 1}}), BezierSpline({{5, 5}}),
        BezierSpline({{7, 7}, {8, 8}, {9, 9}, {10, 10}})});
    std::vector<BezierSpline*> pointers;
    for (BezierSpline& curve : *curves) {
        pointers.push_back(&curve);
    }
    Value input;
    input.m_type = Value::Curve;
    input.m_curves = &pointers;

    CurvesIoNode node;
    ASSERT_NE(node.GetCurveValue(0), nullptr);
    EXPECT_TRUE(node.GetCurveValue(0)->empty());
    Evaluate(node, input);
    std::vector<BezierSpline*>* held = node.GetCurveValue(4);
    ASSERT_EQ(held, node.GetCurveValue(0)) << "the held list itself";
    ASSERT_EQ(held->size(), 3u);
    for (size_t index = 0; index < 3; ++index) {
        EXPECT_NE((*held)[index], pointers[index]);
        EXPECT_EQ(*(*held)[index], (*curves)[index]);
    }
    const BezierSpline third = (*curves)[2];
    curves.reset();  // the copies outlive the originals (the sanitizers check the reads)
    EXPECT_EQ(*(*held)[2], third);

    BezierSpline single({{3, 3}, {4, 4}, {5, 5}, {6, 6}});
    std::vector<BezierSpline*> one{&single};
    input.m_curves = &one;
    Evaluate(node, input);
    ASSERT_EQ(held->size(), 1u);
    EXPECT_EQ(*(*held)[0], single);

    // Neither another kind of value, nor a missing list, nor an inactive node changes what it
    // holds.
    Value number;
    number.m_type = Value::Number;
    number.m_number = 1;
    Evaluate(node, number);
    Value no_list;
    no_list.m_type = Value::Curve;
    Evaluate(node, no_list);
    node.SetActive(false);
    Evaluate(node, input);
    ASSERT_EQ(held->size(), 1u);
    EXPECT_EQ(*(*held)[0], single);
}

TEST(IoNodes, InputNodeIsWhatFeedsTheRegularInput) {
    RefPtr<NodeGraph> graph(new NodeGraph);
    Node* math = graph->CreateNode(NodeType(10, 2, 1));  // outplug 0 "number"
    Node* text = graph->CreateNode(NodeType(10, 2, 6));  // outplug 0 "string"
    ASSERT_TRUE(math && text);
    auto* number = new NumberIoNode;
    auto* other = new NumberIoNode;
    ASSERT_TRUE(graph->AddNode(number) && graph->AddNode(other));
    EXPECT_EQ(number->GetInputNode(), nullptr);

    ASSERT_TRUE(graph->ConnectNodes(math, "number", 0, number, "number", 0));
    EXPECT_EQ(number->GetInputNode(), math);
    EXPECT_EQ(number->GetInputNodeOutplug(), 0u);
    // A source of the loop action's own inplug is not the node's input.
    ASSERT_TRUE(graph->ConnectNodes(text, "string", 0, other, "loop_action", 0));
    EXPECT_EQ(other->GetInputNode(), nullptr);
}

}  // namespace
