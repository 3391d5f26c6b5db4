#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "host/BezierSpline.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/MaterialTemplate.h"
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

Value Typed(Value::Type type) {
    Value value;
    value.m_type = type;
    return value;
}

// Everything a plain value outplug can give, whatever its type.
std::vector<double> Held(Node& node, uint32_t outplug) {
    const Point p = node.GetPointValue(outplug);
    const Frame f = node.GetFrameValue(outplug);
    const Rgbo c = node.GetRgboValue(outplug);
    return {double(node.GetBooleanValue(outplug)),
            node.GetNumberValue(outplug),
            p.x,
            p.y,
            f.x,
            f.y,
            f.width,
            f.height,
            c.r,
            c.g,
            c.b,
            c.o};
}

TEST(IoNodes, ValueNodesPassTheirInputAndResetOnEmptyInputOrInactiveNode) {
    Value boolean = Typed(Value::Boolean), number = Typed(Value::Number),
          point = Typed(Value::Point), frame = Typed(Value::Frame), rgbo = Typed(Value::Rgbo);
    boolean.m_boolean = true;
    number.m_number = 2.5;
    point.m_point = {1, 2};
    frame.m_frame = {1, 2, 3, 4};
    rgbo.m_rgbo = {0.1, 0.2, 0.3, 0.4};
    const struct {
        RefPtr<Node> node;
        const Value& input;
        std::vector<double> held;
    } cases[] = {
        {RefPtr<Node>(new BooleanIoNode), boolean, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {RefPtr<Node>(new NumberIoNode), number, {0, 2.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {RefPtr<Node>(new PointIoNode), point, {0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0}},
        {RefPtr<Node>(new FrameIoNode), frame, {0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0}},
        {RefPtr<Node>(new RgboIoNode), rgbo, {0, 0, 0, 0, 0, 0, 0, 0, 0.1, 0.2, 0.3, 0.4}},
    };
    const std::vector<double> zero(12, 0.0);
    for (const auto& c : cases) {
        Node& node = *c.node;
        SCOPED_TRACE(node.GetTypeName());
        EXPECT_EQ(Held(node, 0), zero) << "before the first evaluation";
        Evaluate(node, c.input);
        EXPECT_EQ(Held(node, 0), c.held);
        EXPECT_EQ(Held(node, 7), c.held) << "any outplug index gives the value";

        Value empty = c.input;
        empty.m_type = Value::None;  // the members still hold data: only the tag counts
        Evaluate(node, empty);
        EXPECT_EQ(Held(node, 0), zero) << "an empty input resets";
        Evaluate(node, c.input);
        node.SetActive(false);
        Evaluate(node, c.input);
        EXPECT_EQ(Held(node, 0), zero) << "an inactive node resets";
    }
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
    MaterialIoNode material_node;
    Value image_value = Typed(Value::Image);
    image_value.m_image = image.Get();
    // The material node takes whatever material arrives, whatever the type tag says; it drops
    // its material when the value holds none.
    Value material_value;
    material_value.m_material = material.Get();
    const Value none, no_material = Typed(Value::Material);
    const struct {
        Node& node;
        const Value& input;
        const Value& empty;
        std::function<const void*(uint32_t)> held;
        const void* object;
    } cases[] = {
        {image_node, image_value, none,
         [&](uint32_t o) -> const void* { return image_node.GetImageValue(o); }, image.Get()},
        {material_node, material_value, no_material,
         [&](uint32_t o) -> const void* { return material_node.GetMaterialValue(o); },
         material.Get()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node.GetTypeName());
        EXPECT_EQ(c.held(0), nullptr);
        Evaluate(c.node, c.input);
        EXPECT_EQ(c.held(3), c.object) << "held, not copied, at any outplug index";
        Evaluate(c.node, c.empty);
        EXPECT_EQ(c.held(0), nullptr);
        Evaluate(c.node, c.input);
        c.node.SetActive(false);
        Evaluate(c.node, c.input);
        EXPECT_EQ(c.held(0), nullptr);
    }

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
    Value input = Typed(Value::Curve);
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
    // Neither another kind of value, nor a missing list, nor an inactive node changes what it
    // holds.
    Value number = Typed(Value::Number);
    number.m_number = 1;
    Evaluate(node, number);
    Evaluate(node, Typed(Value::Curve));
    node.SetActive(false);
    Evaluate(node, input);
    ASSERT_EQ(held->size(), 1u);
    EXPECT_EQ(*(*held)[0], single);
}

}  // namespace
