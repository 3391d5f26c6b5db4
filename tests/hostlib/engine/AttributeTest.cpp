#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/Attribute.h"
#include "host/RefPtr.h"

namespace {

RefPtr<Attribute> Number(double value) {
    return new Attribute(nullptr, 0, "n", value, 0.0, 1.0, 0.1, 2);
}

}  // namespace

TEST(AttributeTest, NumberTextReadsBackExactly) {
    const double values[] = {0.1,
                             1e-300,
                             1.0 / 3.0,
                             -2.5,
                             123456789.123456789,
                             5e-324,
                             std::numeric_limits<double>::max()};
    for (double value : values) {
        RefPtr<Attribute> written = Number(value);
        RefPtr<Attribute> read = Number(0.0);
        ASSERT_TRUE(read->SetValueText(written->GetValueText(), false)) << written->GetValueText();
        EXPECT_EQ(read->GetNumber(), value) << written->GetValueText();
    }
    EXPECT_EQ(Number(0.1)->GetValueText(), "0.1");
    EXPECT_EQ(Number(1e-300)->GetValueText(), "1e-300");
    EXPECT_EQ(Number(-3.0)->GetValueText(), "-3");
}

TEST(AttributeTest, CompositeTextRoundTrip) {
    RefPtr<Attribute> point = Attribute::CreatePoint(nullptr, 0, "p", {0.1, -7.25}, 0, 1, 1, 2);
    EXPECT_EQ(point->GetValueText(), "0.1,-7.25");
    RefPtr<Attribute> frame = Attribute::CreateFrame(nullptr, 0, "f", {1, 2, 3, 4});
    EXPECT_EQ(frame->GetValueText(), "1,2,3,4");
    ASSERT_TRUE(frame->SetValueText(" 0.5, 1e-300 ,3,4 ", false));
    EXPECT_EQ(frame->GetFrame(), (Frame{0.5, 1e-300, 3, 4}));
    RefPtr<Attribute> rgbo = Attribute::CreateRgbo(nullptr, 0, "c", {0.2, 0.4, 0.6, 1});
    RefPtr<Attribute> copy = Attribute::CreateRgbo(nullptr, 0, "c", {});
    ASSERT_TRUE(copy->SetValueText(rgbo->GetValueText(), false));
    EXPECT_EQ(copy->GetRgbo(), rgbo->GetRgbo());

    RefPtr<Attribute> flag = Attribute::CreateBoolean(nullptr, 0, "b", true);
    EXPECT_EQ(flag->GetValueText(), "1");
    ASSERT_TRUE(flag->SetValueText("0", false));
    EXPECT_FALSE(flag->GetBoolean());
    EXPECT_EQ(flag->GetValueText(), "0");

    RefPtr<Attribute> text = new Attribute(nullptr, 0, "s", "a, b; c");
    EXPECT_EQ(text->GetValueText(), "a, b; c");
    ASSERT_TRUE(text->SetValueText("", false));
    EXPECT_EQ(text->GetString(), "");

    RefPtr<Attribute> choice = new Attribute(nullptr, 0, "c", 1, "low,mid,high");
    EXPECT_EQ(choice->GetValueText(), "mid");
    ASSERT_TRUE(choice->SetValueText("high", false));
    EXPECT_EQ(choice->GetInteger(), 2);
}

TEST(AttributeTest, MalformedTextLeavesValueUnchanged) {
    RefPtr<Attribute> number = Number(4.0);
    for (const char* text : {"", "1.5x", "1,2", "x", "0x10", "1 2", "--1"}) {
        EXPECT_FALSE(number->SetValueText(text, false)) << text;
    }
    EXPECT_EQ(number->GetNumber(), 4.0);

    RefPtr<Attribute> point = Attribute::CreatePoint(nullptr, 0, "p", {1, 2}, 0, 1, 1, 2);
    for (const char* text : {"1", "1,2,3", "1,", ",2", "1;2"}) {
        EXPECT_FALSE(point->SetValueText(text, false)) << text;
    }
    EXPECT_EQ(point->GetPoint(), (Point{1, 2}));

    RefPtr<Attribute> frame = Attribute::CreateFrame(nullptr, 0, "f", {1, 2, 3, 4});
    EXPECT_FALSE(frame->SetValueText("1,2,3", false));
    EXPECT_FALSE(frame->SetValueText("1,2,3,4,5", false));
    EXPECT_EQ(frame->GetFrame(), (Frame{1, 2, 3, 4}));

    RefPtr<Attribute> flag = Attribute::CreateBoolean(nullptr, 0, "b", true);
    EXPECT_FALSE(flag->SetValueText("2", false));
    EXPECT_FALSE(flag->SetValueText("yes", false));
    EXPECT_TRUE(flag->GetBoolean());

    RefPtr<Attribute> choice = new Attribute(nullptr, 0, "c", 0, "low,mid");
    EXPECT_FALSE(choice->SetValueText("Mid", false));
    EXPECT_EQ(choice->GetChoice(), "low");
}

TEST(AttributeTest, ChoicesAndIntegers) {
    RefPtr<Attribute> choice = new Attribute(nullptr, 0, "c", 7, "a,b,c");
    EXPECT_EQ(choice->GetChoice(), "c");  // default clamped into the list
    EXPECT_FALSE(choice->SetChoice("d", false));
    EXPECT_FALSE(choice->SetChoiceIndex(3, false));
    EXPECT_FALSE(choice->SetChoiceIndex(-1, false));
    EXPECT_EQ(choice->GetInteger(), 2);

    choice->SetChoiceNames("x,c,y");  // the selection keeps its name
    EXPECT_EQ(choice->GetChoice(), "c");
    EXPECT_EQ(choice->GetInteger(), 1);
    choice->SetChoiceNames("p,q");  // gone: back to the first
    EXPECT_EQ(choice->GetChoice(), "p");
    choice->SetChoiceNames("");
    EXPECT_TRUE(choice->GetChoiceNames().empty());
    EXPECT_EQ(choice->GetChoice(), "");
    EXPECT_EQ(choice->GetValueText(), "");

    RefPtr<Attribute> number = Number(2.5);
    EXPECT_EQ(number->GetInteger(), 3);
    number->SetNumber(-2.4, false);
    EXPECT_EQ(number->GetInteger(), -2);
    number->SetNumber(1e300, false);  // not clamped by SetNumber, but GetInteger stays in range
    EXPECT_EQ(number->GetNumber(), 1e300);
    EXPECT_EQ(number->GetInteger(), std::numeric_limits<int>::max());
    number->SetNumber(std::nan(""), false);
    EXPECT_EQ(number->GetInteger(), 0);

    Attribute::Type type;
    for (Attribute::Type t :
         {Attribute::BOOLEAN, Attribute::NUMBER, Attribute::POINT, Attribute::FRAME,
          Attribute::RGBO, Attribute::CHOICE, Attribute::STRING}) {
        ASSERT_TRUE(Attribute::TypeFromWord(Attribute::TypeWord(t), type));
        EXPECT_EQ(type, t);
    }
    EXPECT_FALSE(Attribute::TypeFromWord("number", type));
}
