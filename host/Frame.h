#pragma once

// Plain record of doubles.
struct Frame {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    bool operator==(const Frame& other) const = default;
};
