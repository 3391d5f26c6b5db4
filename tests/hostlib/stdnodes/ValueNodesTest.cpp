#include <gtest/gtest.h>

#include <initializer_list>

#include "host/BezierSpline.h"
#include "hostlib/stdnodes/ColorNode.h"
#include "hostlib/stdnodes/CurveNode.h"
#include "hostlib/stdnodes/MathNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/PointNode.h"
#include "hostlib/stdnodes/TextNode.h"
#include "tests/hostlib/stdnodes/StandardNodeTest.h"

using ValueNodesTest = StandardNodeTest;

TEST_F(ValueNodesTest, MathComputesEachOperationAndReportsProblemsInItsState) {
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
        EXPECT_DOUBLE_EQ(Evaluate(math).m_number, expected);
        EXPECT_EQ(math->GetState(0), 0u);
    }

    // A problem gives zero and a state that the next good result clears.
    math->GetAttribute("operation")->SetChoice("divide", false);
    SetNumber(math, "b", 0.0);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 1u);
    EXPECT_EQ(math->GetStateMessage(0), "Division by zero.");
    SetNumber(math, "b", 2.0);
    EXPECT_EQ(Evaluate(math).m_number, 3.0);
    EXPECT_EQ(math->GetState(0), 0u);
    EXPECT_EQ(math->GetStateMessage(0), "");

    // Connected inputs, and an operation named by a text that is not among the choices.
    NumberNode* number = Add<NumberNode>();
    SetNumber(number, "value", 1.5);
    TextNode* text = Add<TextNode>();
    text->GetAttribute("value")->SetString("multiply", false);
    Connect(number, math, "a");
    Connect(number, math, "b");
    Connect(text, math, "operation");
    EXPECT_EQ(Evaluate(math).m_number, 2.25);
    text->GetAttribute("value")->SetString("modulo", false);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 1u);
    EXPECT_NE(math->GetStateMessage(0).find("modulo"), std::string::npos);
    // An inactive node clears its state too.
    math->SetActive(false);
    EXPECT_EQ(Evaluate(math).m_number, 0.0);
    EXPECT_EQ(math->GetState(0), 0u);
}

TEST_F(ValueNodesTest, ValueNodesPublishTheirInputsUnlessInactive) {
    NumberNode* number = Add<NumberNode>();
    SetNumber(number, "value", -3.25);
    PointNode* point = Add<PointNode>();
    SetNumber(point, "y", 7.0);
    Connect(number, point, "x");
    EXPECT_EQ(Evaluate(point).m_point, (Point{-3.25, 7.0}));
    ColorNode* color = Add<ColorNode>();
    color->GetAttribute("color")->SetRgbo({0.1, 0.2, 0.3, 0.4}, false);
    EXPECT_EQ(Evaluate(color).m_rgbo, (Rgbo{0.1, 0.2, 0.3, 0.4}));
    TextNode* text = Add<TextNode>();
    text->GetAttribute("value")->SetString("hello", false);
    EXPECT_EQ(Evaluate(text).m_string, "hello");
    // The curve is one straight cubic from start to end.
    CurveNode* curve = Add<CurveNode>();
    curve->GetAttribute("start")->SetPoint({1.0, 2.0}, false);
    curve->GetAttribute("end")->SetPoint({4.0, -1.0}, false);
    const std::vector<BezierSpline*>* curves = Evaluate(curve).m_curves;
    ASSERT_TRUE(curves && curves->size() == 1);
    EXPECT_EQ(curves->front()->GetControlPoints(),
              (std::vector<Point>{{1.0, 2.0}, {2.0, 1.0}, {3.0, 0.0}, {4.0, -1.0}}));

    for (Node* node : std::initializer_list<Node*>{point, color, text, curve}) {
        node->SetActive(false);
    }
    EXPECT_EQ(Evaluate(point).m_point, (Point{}));
    EXPECT_EQ(Evaluate(color).m_rgbo, (Rgbo{}));
    EXPECT_EQ(Evaluate(text).m_string, "");
    EXPECT_TRUE(Evaluate(curve).IsEmpty());
}
