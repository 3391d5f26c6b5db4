#include "hostlib/stdnodes/BlurNode.h"

#include <algorithm>

#include "hostlib/image/ParallelFor.h"

namespace {

// Radii past this blur every image of the largest size to a few edge values anyway.
constexpr int64_t kMaxRadius = int64_t(1) << 24;

}  // namespace

BlurNode::BlurNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kRadius, "radius", 1.0, 0.0, 1000.0, 1.0, 0));
    m_inplug_declarations.push_back({0, Value::Image, "image", 0, 0});
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

void BlurNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    SetState(0, 0, "");
    const Image* input = ReadImage(inplug_values[GetInplugIdFromRegularInputId(0)]);
    if (!m_active || !input) {
        m_image = nullptr;
        return;
    }
    int64_t radius = 0;
    if (!ReadWhole(inplug_values[kRadius], 0, INT64_MAX / 2, radius)) {
        m_image = nullptr;
        SetState(0, 1, "The radius must be 0 or more.");
        return;
    }
    radius = std::min(radius, kMaxRadius);
    Image& image = OwnImage(m_image);
    image.Resize(input->GetWidth(), input->GetHeight());
    image.SetColorMode(input->GetColorMode());
    if (!input->IsEmpty()) {
        BlurRows(*input, radius);
        BlurColumns(image, radius);
    }
}

// Running sum along each row, in doubles so that long rows do not drift.
void BlurNode::BlurRows(const Image& source, int64_t radius) {
    const int64_t width = source.GetWidth();
    const int64_t last = width - 1;
    const double scale = 1.0 / double(2 * radius + 1);
    m_rows.resize(source.GetNumFloats());
    float* const rows = m_rows.data();
    // Rows are independent: blocks of them may run on several threads.
    ParallelFor(source.GetHeight(), size_t(width + radius) * 4, [&](size_t begin, size_t end) {
        for (uint32_t y = uint32_t(begin); y < uint32_t(end); ++y) {
            const float* in = source.GetPixel(0, y);
            float* out = rows + size_t(y) * size_t(width) * 4;
            double sum[4];
            // Window at x = 0: the first pixel r + 1 times, then pixels 1..r, the last repeating.
            const int64_t inside = std::min(radius, last);
            for (int c = 0; c < 4; ++c) {
                sum[c] = double(radius + 1) * in[c] + double(radius - inside) * in[4 * last + c];
                for (int64_t k = 1; k <= inside; ++k) {
                    sum[c] += in[4 * k + c];
                }
            }
            for (int64_t x = 0; x < width; ++x) {
                const float* entering = in + 4 * std::min(x + radius + 1, last);
                const float* leaving = in + 4 * std::max(x - radius, int64_t(0));
                for (int c = 0; c < 4; ++c) {
                    out[4 * x + c] = float(sum[c] * scale);
                    sum[c] += double(entering[c]) - double(leaving[c]);
                }
            }
        }
    });
}

// The same down the columns, a whole row of sums at a time so that the loops run over
// contiguous memory.
void BlurNode::BlurColumns(Image& target, int64_t radius) {
    const int64_t height = target.GetHeight();
    const int64_t last = height - 1;
    const size_t row_floats = size_t(target.GetWidth()) * 4;
    const double scale = 1.0 / double(2 * radius + 1);
    const float* rows = m_rows.data();
    auto row = [&](int64_t y) { return rows + size_t(y) * row_floats; };

    m_sums.resize(row_floats);
    double* const all_sums = m_sums.data();
    const int64_t inside = std::min(radius, last);
    // Each slice of columns is summed on its own, so slices may run on several threads. Slices
    // span many cache lines, so that threads do not write to the same line.
    constexpr size_t kSliceFloats = 256;
    const size_t slices = (row_floats + kSliceFloats - 1) / kSliceFloats;
    ParallelFor(slices, kSliceFloats * size_t(height), [&](size_t first_slice, size_t end_slice) {
        const size_t begin = first_slice * kSliceFloats;
        const size_t end = std::min(end_slice * kSliceFloats, row_floats);
        double* __restrict sums = all_sums;
        {
            const float* __restrict first = row(0);
            const float* __restrict final_row = row(last);
            for (size_t i = begin; i < end; ++i) {
                sums[i] = double(radius + 1) * first[i] + double(radius - inside) * final_row[i];
            }
        }
        for (int64_t k = 1; k <= inside; ++k) {
            const float* __restrict add = row(k);
            for (size_t i = begin; i < end; ++i) {
                sums[i] += add[i];
            }
        }
        for (int64_t y = 0; y < height; ++y) {
            float* __restrict out = target.GetPixel(0, uint32_t(y));
            const float* __restrict entering = row(std::min(y + radius + 1, last));
            const float* __restrict leaving = row(std::max(y - radius, int64_t(0)));
            for (size_t i = begin; i < end; ++i) {
                out[i] = float(sums[i] * scale);
                sums[i] += double(entering[i]) - double(leaving[i]);
            }
        }
    });
}

Image* BlurNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
