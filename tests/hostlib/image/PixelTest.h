#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "host/Image.h"

using Rgba = std::array<float, 4>;

// An image made from its floats, row by row.
inline Image MakeImage(uint32_t width, uint32_t height, const std::vector<float>& floats,
                       int color_mode = 1) {
    Image image(width, height, color_mode);
    EXPECT_EQ(floats.size(), image.GetNumFloats());
    std::copy_n(floats.begin(), std::min(floats.size(), image.GetNumFloats()), image.GetData());
    return image;
}

inline Image OnePixel(const Rgba& value) {
    return MakeImage(1, 1, {value.begin(), value.end()});
}

inline void ExpectPixel(const Image& image, uint32_t x, uint32_t y, const Rgba& expected,
                        float tolerance = 1e-6f) {
    const float* pixel = image.GetPixel(x, y);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(pixel[c], expected[c], tolerance)
            << "pixel " << x << "," << y << " channel " << c;
    }
}
