#include "host/BezierSpline.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BezierSplineTest, EvaluatesCubicSegmentsSharingTEvenly) {
    // Two segments: a straight line with control points at thirds, then a curve.
    const BezierSpline spline({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {4, 1}, {4, 0}});
    EXPECT_EQ(spline.GetNumSegments(), 2u);
    EXPECT_EQ(spline.Evaluate(0.0), (Point{0, 0}));
    EXPECT_EQ(spline.Evaluate(0.5), (Point{3, 0}));
    EXPECT_EQ(spline.Evaluate(1.0), (Point{4, 0}));
    const Point quarter = spline.Evaluate(0.25);
    EXPECT_DOUBLE_EQ(quarter.x, 1.5);
    EXPECT_DOUBLE_EQ(quarter.y, 0.0);
    // Middle of the second segment: (p0 + 3 c1 + 3 c2 + p1) / 8.
    const Point middle = spline.Evaluate(0.75);
    EXPECT_DOUBLE_EQ(middle.x, (3 + 9 + 12 + 4) / 8.0);
    EXPECT_DOUBLE_EQ(middle.y, (0 + 3 + 3 + 0) / 8.0);

    // Outside [0, 1] and NaN are clamped.
    EXPECT_EQ(spline.Evaluate(-2.0), (Point{0, 0}));
    EXPECT_EQ(spline.Evaluate(7.0), (Point{4, 0}));
    EXPECT_EQ(spline.Evaluate(std::nan("")), (Point{0, 0}));
}

TEST(BezierSplineTest, SplinesWithoutSegmentsGiveTheirFirstPoint) {
    EXPECT_EQ(BezierSpline().Evaluate(0.5), (Point{0, 0}));
    EXPECT_EQ(BezierSpline().GetNumSegments(), 0u);
    const BezierSpline short_spline({{2, 3}, {4, 5}, {6, 7}});
    EXPECT_EQ(short_spline.GetNumSegments(), 0u);
    EXPECT_EQ(short_spline.Evaluate(0.7), (Point{2, 3}));

    const BezierSpline copy(short_spline);
    EXPECT_EQ(copy, short_spline);
}
