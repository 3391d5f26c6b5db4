#include "host/BezierSpline.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BezierSplineTest, EvaluatesCubicSegmentsSharingTEvenly) {
    // Two segments: a straight line with control points at thirds, then a curve.
    const BezierSpline spline({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {4, 1}, {4, 0}});
    const std::pair<double, Point> cases[] = {
        {0.0, {0, 0}},
        {0.25, {1.5, 0}},
        {0.5, {3, 0}},
        {1.0, {4, 0}},
        // Middle of the second segment: (p0 + 3 c1 + 3 c2 + p1) / 8.
        {0.75, {3.5, 0.75}},
        // Outside [0, 1] and NaN are clamped.
        {-2.0, {0, 0}},
        {7.0, {4, 0}},
        {std::nan(""), {0, 0}},
    };
    for (const auto& [t, expected] : cases) {
        EXPECT_EQ(spline.Evaluate(t), expected) << "t " << t;
    }

    // Without a whole segment: the first point, or the origin.
    EXPECT_EQ(BezierSpline().Evaluate(0.5), (Point{0, 0}));
    const BezierSpline short_spline({{2, 3}, {4, 5}, {6, 7}});
    EXPECT_EQ(short_spline.Evaluate(0.7), (Point{2, 3}));
}
