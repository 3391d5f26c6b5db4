#include "host/BezierSpline.h"

#include <algorithm>
#include <cmath>

BezierSpline::BezierSpline(std::vector<Point> control_points)
    : m_control_points(std::move(control_points)) {}

size_t BezierSpline::GetNumSegments() const {
    return m_control_points.size() < 4 ? 0 : (m_control_points.size() - 1) / 3;
}

Point BezierSpline::Evaluate(double t) const {
    const size_t segments = GetNumSegments();
    if (segments == 0) {
        return m_control_points.empty() ? Point{} : m_control_points.front();
    }
    // NaN goes to the start like any t below 0.
    const double clamped = t > 0.0 ? std::min(t, 1.0) : 0.0;
    const double position = clamped * double(segments);
    const size_t segment = std::min(size_t(position), segments - 1);
    const double u = position - double(segment);
    const double v = 1.0 - u;
    const Point* p = &m_control_points[3 * segment];
    const double w0 = v * v * v;
    const double w1 = 3.0 * v * v * u;
    const double w2 = 3.0 * v * u * u;
    const double w3 = u * u * u;
    return {w0 * p[0].x + w1 * p[1].x + w2 * p[2].x + w3 * p[3].x,
            w0 * p[0].y + w1 * p[1].y + w2 * p[2].y + w3 * p[3].y};
}
