#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nodes/CountRule.h"

namespace {

TEST(CountRule, RoundsToNearestWithExactHalvesDownAndEmptyOrNanAsZero) {
    const struct {
        double m_number;
        int64_t m_count;
    } cases[] = {{2.5, 2},
                 {2.51, 3},
                 {-2.5, -3},
                 {-2.49, -2},
                 {0.5, 0},
                 {1.5, 1},
                 {3.0, 3},
                 {2.0000001, 2},
                 {-0.4, 0},
                 {-0.6, -1},
                 {1e300, int64_t(1) << 53},
                 {-std::numeric_limits<double>::infinity(), -(int64_t(1) << 53)},
                 {std::nan(""), 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CountRule::FromNumber(c.m_number), c.m_count) << c.m_number;
    }
    Node::Value value;
    value.m_number = 7.0;  // ignored while the value is empty
    EXPECT_EQ(CountRule::FromValue(value), 0);
    value.m_type = Node::Value::Number;
    EXPECT_EQ(CountRule::FromValue(value), 7);
}

}  // namespace
