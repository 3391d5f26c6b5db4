#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "host/Attribute.h"
#include "host/RefPtr.h"

namespace {

RefPtr<Attribute> Number(double value) {
    return new Attribute(nullptr, 0, "n", value, 0.0, 1.0, 0.1, 2);
}

}  // namespace

TEST(AttributeTest, ValueTextOfEachTypeRoundTripsAndMalformedTextChangesNothing) {
    // Numbers are written as the shortest text that reads back exactly.
    for (double value : {0.1, 1.0 / 3.0, -2.5, 5e-324, std::numeric_limits<double>::max()}) {
        RefPtr<Attribute> read = Number(0.0);
        const std::string text = Number(value)->GetValueText();
        ASSERT_TRUE(read->SetValueText(text, false)) << text;
        EXPECT_EQ(read->GetNumber(), value) << text;
    }
    struct Case {
        RefPtr<Attribute> attribute;
        std::vector<std::pair<std::string, std::string>> written_and_read;
        std::vector<std::string> malformed;
    };
    const Case cases[] = {
        {Number(4.0),
         {{"-3", "-3"}, {"0.1", "0.1"}, {"1e-300", "1e-300"}},
         {"", "1.5x", "1,2", "x", "0x10", "1 2", "--1"}},
        {Attribute::CreatePoint(nullptr, 0, "p", {1, 2}, 0, 1, 1, 2),
         {{"0.1,-7.25", "0.1,-7.25"}},
         {"1", "1,2,3", "1,", ",2", "1;2"}},
        {Attribute::CreateFrame(nullptr, 0, "f", {1, 2, 3, 4}),
         {{" 0.5, 1e-300 ,3,4 ", "0.5,1e-300,3,4"}},
         {"1,2,3", "1,2,3,4,5"}},
        {Attribute::CreateRgbo(nullptr, 0, "c", {}), {{"0.2,0.4,0.6,1", "0.2,0.4,0.6,1"}}, {}},
        {Attribute::CreateBoolean(nullptr, 0, "b", false), {{"0", "0"}, {"1", "1"}}, {"2", "yes"}},
        {new Attribute(nullptr, 0, "s", "x"), {{"a, b; c", "a, b; c"}, {"", ""}}, {}},
        {new Attribute(nullptr, 0, "c", 0, "low,mid,high"), {{"high", "high"}}, {"Mid"}},
    };
    for (const Case& c : cases) {
        Attribute& attribute = *c.attribute;
        for (const auto& [written, read] : c.written_and_read) {
            ASSERT_TRUE(attribute.SetValueText(written, false)) << written;
            EXPECT_EQ(attribute.GetValueText(), read) << written;
        }
        const std::string kept = attribute.GetValueText();
        for (const std::string& text : c.malformed) {
            EXPECT_FALSE(attribute.SetValueText(text, false)) << attribute.GetTypeName() << text;
            EXPECT_EQ(attribute.GetValueText(), kept) << text;
        }
    }
}

TEST(AttributeTest, ChoiceListsOfManyAttributesStayTheirOwn) {
    // Lists are split once and reused; each attribute must still get, and keep, its own list,
    // also after more distinct lists than are kept.
    RefPtr<Attribute> first = new Attribute(nullptr, 0, "c", 1, "a,b,c");
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        RefPtr<Attribute> other = new Attribute(nullptr, 0, "c", 2, "n" + n + ",x," + n);
        EXPECT_EQ(other->GetChoiceNames(), (std::vector<std::string>{"n" + n, "x", n}));
    }
    // The selection keeps its name, or goes back to the first when its name is gone.
    RefPtr<Attribute> second = new Attribute(nullptr, 0, "c", 7, "a,b,c");
    second->SetChoiceNames("z,c");
    EXPECT_EQ(first->GetChoiceNames(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(first->GetChoice() + second->GetChoice(), "bc");
    second->SetChoiceNames("p,q");
    EXPECT_EQ(second->GetChoice(), "p");
}
