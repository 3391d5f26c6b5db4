#include "nodes/CountRule.h"

#include <algorithm>
#include <cmath>

int64_t CountRule::FromNumber(double number) {
    if (std::isnan(number)) {
        return 0;
    }
    constexpr double kLimit = 9007199254740992.0;  // 2^53
    const double clamped = std::clamp(number, -kLimit, kLimit);
    const double floor = std::floor(clamped);
    return static_cast<int64_t>(clamped - floor <= 0.5 ? floor : floor + 1.0);
}

int64_t CountRule::FromValue(const Node::Value& value) {
    return value.IsEmpty() ? 0 : FromNumber(value.m_number);
}
