#pragma once

#include <cstddef>
#include <vector>

#include "host/HostExport.h"
#include "host/Point.h"

// A cubic Bezier spline: control points p0, c1, c2, p1, c1, c2, p2, ... (3n + 1 for n segments).
class QM_HOST_API BezierSpline {
public:
    BezierSpline() = default;
    explicit BezierSpline(std::vector<Point> control_points);
    BezierSpline(const BezierSpline& other) = default;
    BezierSpline& operator=(const BezierSpline& other) = default;

    const std::vector<Point>& GetControlPoints() const { return m_control_points; }
    size_t GetNumSegments() const;
    // Position at t along the whole spline: segments share [0, 1] evenly and t is clamped to it.
    // Without a whole segment: the first control point, or the origin when there is none.
    Point Evaluate(double t) const;

    bool operator==(const BezierSpline& other) const = default;

private:
    std::vector<Point> m_control_points;
};
