#include <gtest/gtest.h>

#include "hostlib/stdnodes/MathNode.h"
#include "hostlib/stdnodes/NumberNode.h"
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
    EXPECT_TRUE(math->GetState(0) == 0 && math->GetStateMessage(0).empty());

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
