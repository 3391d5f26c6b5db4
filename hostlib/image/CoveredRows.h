#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "host/Image.h"
#include "hostlib/image/ParallelFor.h"

// Walks the rectangle [0, width) x [0, height) that all `inputs` (null entries ignored) cover
// within the background, in runs of contiguous pixels: span(y, pixels) is to write `pixels` pixels
// starting at (0, y) of out, the background and every input. The background pixels outside the
// rectangle are copied into out, which has the background's size. When every input has the
// background's width, their rows follow each other at the same stride and one run covers a whole
// block of rows. Blocks of rows may run on several threads at once.
template <typename Span>
void ForCoveredRows(Image& out, const Image& background, std::initializer_list<const Image*> inputs,
                    Span&& span) {
    const uint32_t full_width = background.GetWidth();
    uint32_t width = full_width;
    uint32_t height = background.GetHeight();
    bool same_stride = true;
    for (const Image* input : inputs) {
        if (input) {
            width = std::min(width, input->GetWidth());
            height = std::min(height, input->GetHeight());
            same_stride = same_stride && input->GetWidth() == full_width;
        }
    }
    const size_t row_floats = size_t(full_width) * Image::kChannels;
    if (same_stride) {
        ParallelFor(height, row_floats, [&](size_t begin, size_t end) {
            span(uint32_t(begin), size_t(width) * (end - begin));
        });
    } else {
        const size_t covered_floats = size_t(width) * Image::kChannels;
        ParallelFor(height, row_floats, [&](size_t begin, size_t end) {
            for (size_t y = begin; y < end; ++y) {
                if (width > 0) {
                    span(uint32_t(y), size_t(width));
                }
                std::memcpy(out.GetPixel(width, uint32_t(y)),
                            background.GetPixel(width, uint32_t(y)),
                            (row_floats - covered_floats) * sizeof(float));
            }
        });
    }
    ParallelFor(background.GetHeight() - height, row_floats, [&](size_t begin, size_t end) {
        std::memcpy(out.GetPixel(0, height + uint32_t(begin)),
                    background.GetPixel(0, height + uint32_t(begin)),
                    (end - begin) * row_floats * sizeof(float));
    });
}
