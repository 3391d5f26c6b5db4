#pragma once

#include <cstdint>
#include <cstring>

#include "host/Image.h"

// Walks the rectangle [0, width) x [0, height) that the other inputs of an operation cover, in
// runs of contiguous pixels: span(y, pixels) is to write `pixels` pixels starting at (0, y). The
// background pixels outside the rectangle are copied into out, which has the background's size.
// When the rectangle is as wide as the image, one run covers all its rows.
template <typename Span>
void ForCoveredRows(Image& out, const Image& background, uint32_t width, uint32_t height,
                    Span&& span) {
    const uint32_t full_width = background.GetWidth();
    const size_t row_floats = size_t(full_width) * Image::kChannels;
    if (width == full_width) {
        if (height > 0) {
            span(0, size_t(width) * height);
        }
    } else {
        const size_t covered_floats = size_t(width) * Image::kChannels;
        for (uint32_t y = 0; y < height; ++y) {
            if (width > 0) {
                span(y, size_t(width));
            }
            std::memcpy(out.GetPixel(width, y), background.GetPixel(width, y),
                        (row_floats - covered_floats) * sizeof(float));
        }
    }
    if (height < background.GetHeight()) {
        std::memcpy(out.GetPixel(0, height), background.GetPixel(0, height),
                    size_t(background.GetHeight() - height) * row_floats * sizeof(float));
    }
}
