#include <gtest/gtest.h>

#include "host/BezierSpline.h"
#include "hostlib/stdnodes/ColorNode.h"
#include "hostlib/stdnodes/CurveNode.h"
#include "hostlib/stdnodes/MathNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/PointNode.h"
#include "hostlib/stdnodes/TextNode.h"
#include "tests/hostlib/stdnodes/StandardNodeTest.h"

using ValueNodesTest = StandardNodeTest;

TEST_F(ValueNodesTest, MathComputesEachOperation) {
    MathNode* math = Add<MathNode>();
    SetNumber(math, "a", 6.0);
    SetNumber(math, "b", -4.0);
    const std::pair<const char*, double> cases[] = {
        {"add", 2.0},      {"subtract", 10.0}, {"multiply", -24.0},     {"divide", -1.5},
        {"minimum", -4.0}, {"maximum", 6.0},   {"power", 1.0 / 1296.0},
    };
    for (const auto& [operation, expected] : cases) {
        SCOPED_TRACE(operation);
        ASSERT_TRUE(math->GetAttribute("operation")->SetChoice(operation, false));
        const Node::Value value = Evaluate(math);
        EXPECT_EQ(value.m_type, Node::Value::Number);
        EXPECT_DOUBLE_EQ(value.m_number, expected);
        EXPECT_EQ(math->GetState(0), 0u);
    }
}

TEST_F(ValueNodesTest, MathDivisionByZeroGivesZeroAndAStateThatClears) {
    MathNode* math = Add<MathNode>();
    math->GetAttribute("operation")->SetChoice("divide", false);
    SetNumber(math, "a", 5.0);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 1u);
    EXPECT_EQ(math->GetStateMessage(0), "Division by zero.");
    EXPECT_EQ(math->GetState(), 1u);

    SetNumber(math, "b", 2.0);
    EXPECT_EQ(Evaluate(math).m_number, 2.5);
    EXPECT_EQ(math->GetState(0), 0u);
    EXPECT_EQ(math->GetStateMessage(0), "");
}

TEST_F(ValueNodesTest, MathTakesConnectedInputs) {
    NumberNode* number = Add<NumberNode>();
    SetNumber(number, "value", 1.5);
    TextNode* text = Add<TextNode>();
    text->GetAttribute("value")->SetString("multiply", false);
    MathNode* math = Add<MathNode>();
    Connect(number, math, "a");
    Connect(number, math, "b");
    Connect(text, math, "operation");
    EXPECT_EQ(Evaluate(math).m_number, 2.25);

    // An operation name from a text that is not among the choices.
    text->GetAttribute("value")->SetString("modulo", false);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 1u);
    EXPECT_NE(math->GetStateMessage(0).find("modulo"), std::string::npos);
}

TEST_F(ValueNodesTest, ValueNodesPublishTheirAttributes) {
    NumberNode* number = Add<NumberNode>();
    SetNumber(number, "value", -3.25);
    EXPECT_EQ(Evaluate(number).m_number, -3.25);

    PointNode* point = Add<PointNode>();
    SetNumber(point, "y", 7.0);
    Connect(number, point, "x");
    const Node::Value point_value = Evaluate(point);
    EXPECT_EQ(point_value.m_type, Node::Value::Point);
    EXPECT_EQ(point_value.m_point, (Point{-3.25, 7.0}));

    ColorNode* color = Add<ColorNode>();
    EXPECT_EQ(Evaluate(color).m_rgbo, (Rgbo{0.0, 0.0, 0.0, 1.0}));
    color->GetAttribute("color")->SetRgbo({0.1, 0.2, 0.3, 0.4}, false);
    const Node::Value color_value = Evaluate(color);
    EXPECT_EQ(color_value.m_type, Node::Value::Rgbo);
    EXPECT_EQ(color_value.m_rgbo, (Rgbo{0.1, 0.2, 0.3, 0.4}));

    TextNode* text = Add<TextNode>();
    text->GetAttribute("value")->SetString("hello", false);
    const Node::Value text_value = Evaluate(text);
    EXPECT_EQ(text_value.m_type, Node::Value::String);
    EXPECT_EQ(text_value.m_string, "hello");
}

TEST_F(ValueNodesTest, CurveIsOneStraightCubicFromStartToEnd) {
    CurveNode* curve = Add<CurveNode>();
    curve->GetAttribute("start")->SetPoint({1.0, 2.0}, false);
    curve->GetAttribute("end")->SetPoint({4.0, -1.0}, false);
    const Node::Value value = Evaluate(curve);
    ASSERT_EQ(value.m_type, Node::Value::Curve);
    ASSERT_NE(value.m_curves, nullptr);
    ASSERT_EQ(value.m_curves->size(), 1u);
    const BezierSpline& spline = *value.m_curves->front();
    EXPECT_EQ(spline.GetControlPoints(),
              (std::vector<Point>{{1.0, 2.0}, {2.0, 1.0}, {3.0, 0.0}, {4.0, -1.0}}));
    const Point middle = spline.Evaluate(0.5);
    EXPECT_DOUBLE_EQ(middle.x, 2.5);
    EXPECT_DOUBLE_EQ(middle.y, 0.5);
}

TEST_F(ValueNodesTest, InactiveNodesGiveEmptyOutputs) {
    MathNode* math = Add<MathNode>();
    SetNumber(math, "a", 1.0);
    math->GetAttribute("operation")->SetChoice("divide", false);
    Evaluate(math);
    ASSERT_EQ(math->GetState(0), 1u);
    math->SetActive(false);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 0u);

    PointNode* point = Add<PointNode>();
    SetNumber(point, "x", 5.0);
    point->SetActive(false);
    EXPECT_EQ(Evaluate(point).m_point, (Point{}));

    TextNode* text = Add<TextNode>();
    text->GetAttribute("value")->SetString("x", false);
    text->SetActive(false);
    EXPECT_EQ(Evaluate(text).m_string, "");

    CurveNode* curve = Add<CurveNode>();
    EXPECT_EQ(Evaluate(curve).m_curves->size(), 1u);
    curve->SetActive(false);
    EXPECT_TRUE(Evaluate(curve).IsEmpty());
}
