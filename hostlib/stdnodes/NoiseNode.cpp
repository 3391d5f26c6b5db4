#include "hostlib/stdnodes/NoiseNode.h"

#include <cmath>

#include "hostlib/image/ParallelFor.h"

namespace {

// Murmur3's finaliser: every input bit affects every output bit.
uint32_t Mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// Grid value in [0, 1) from the hash of its row and column.
float GridValue(uint32_t row_hash, uint32_t column) {
    return float(Mix(row_hash + column * 0x9E3779B9u) >> 8) * (1.0f / 16777216.0f);
}

float Smoothstep(float t) {
    return t * t * (3.0f - 2.0f * t);
}

// Finer grids than this only alias; the bound also keeps grid coordinates small.
constexpr double kMinScale = 0.01;
constexpr double kMaxScale = 1e6;

}  // namespace

NoiseNode::NoiseNode() : StandardNode(kNodeType, kTypeName) {
    AddImageSizeAttributes();
    m_attributes.emplace_back(new Attribute(this, kSeed, "seed", 0.0, 0.0, 4294967295.0, 1.0, 0));
    m_attributes.emplace_back(new Attribute(this, kScale, "scale", 16.0, 0.1, 4096.0, 1.0, 1));
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

void NoiseNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (!BeginImage(inplug_values, m_image, width, height)) {
        return;
    }
    int64_t seed = 0;
    const double scale = ReadNumber(inplug_values[kScale]);
    const char* problem = nullptr;
    if (!ReadWhole(inplug_values[kSeed], INT64_MIN / 2, INT64_MAX / 2, seed)) {
        problem = "The seed must be a finite number.";
    } else if (!(scale >= kMinScale && scale <= kMaxScale)) {
        problem = "The scale must be from 0.01 to 1000000.";
    }
    if (problem) {
        m_image = nullptr;
        SetState(0, 1, problem);
        return;
    }
    Image& image = OwnImage(m_image);
    image.Resize(width, height);
    image.SetColorMode(1);
    // Seeds outside 32 bits wrap around.
    Generate(image, uint32_t(uint64_t(seed)), scale);
}

void NoiseNode::Generate(Image& image, uint32_t seed, double scale) {
    const uint32_t width = image.GetWidth();
    m_cells.resize(width);
    m_weights.resize(width);
    for (uint32_t x = 0; x < width; ++x) {
        const double position = (x + 0.5) / scale;
        const double cell = std::floor(position);
        m_cells[x] = uint32_t(int64_t(cell));
        m_weights[x] = Smoothstep(float(position - cell));
    }
    const uint32_t seed_hash = Mix(seed ^ 0x5BD1E995u);
    const uint32_t* const cells = m_cells.data();
    const float* const weights = m_weights.data();
    // Rows are independent: blocks of them may run on several threads.
    ParallelFor(image.GetHeight(), size_t(width) * 16, [&](size_t begin, size_t end) {
        for (uint32_t y = uint32_t(begin); y < uint32_t(end); ++y) {
            const double position = (y + 0.5) / scale;
            const double cell = std::floor(position);
            const uint32_t row = uint32_t(int64_t(cell));
            const float ty = Smoothstep(float(position - cell));
            const uint32_t top = Mix(seed_hash + row * 0x85EBCA77u);
            const uint32_t bottom = Mix(seed_hash + (row + 1) * 0x85EBCA77u);
            float* __restrict pixels = image.GetPixel(0, y);
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t column = cells[x];
                const float tx = weights[x];
                const float upper = GridValue(top, column) +
                                    (GridValue(top, column + 1) - GridValue(top, column)) * tx;
                const float lower =
                    GridValue(bottom, column) +
                    (GridValue(bottom, column + 1) - GridValue(bottom, column)) * tx;
                const float value = upper + (lower - upper) * ty;
                pixels[4 * x + 0] = value;
                pixels[4 * x + 1] = value;
                pixels[4 * x + 2] = value;
                pixels[4 * x + 3] = 1.0f;
            }
        }
    });
}

Image* NoiseNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
