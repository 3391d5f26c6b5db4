#pragma once

// Plain record of doubles.
struct Rgbo {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double o = 0.0;

    bool operator==(const Rgbo& other) const = default;
};
