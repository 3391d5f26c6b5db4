#pragma once

// Plain record of doubles.
struct Point {
    double x = 0.0;
    double y = 0.0;

    bool operator==(const Point& other) const = default;
};
