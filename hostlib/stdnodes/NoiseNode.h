#pragma once

#include <vector>

#include "hostlib/stdnodes/StandardNode.h"

// Value noise: grey values in [0, 1) drawn from the seed at the corners of a grid of `scale`
// pixels and blended between them with smoothstep weights. Opaque, colour mode 1, and the same
// for the same seed on every run and machine.
class NoiseNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 3, 1};
    static constexpr const char* kTypeName = "Noise";

    NoiseNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kSeed = kHeightAttribute + 1, kScale };

    void Generate(Image& image, uint32_t seed, double scale);

    RefPtr<Image> m_image;
    // Per column: grid cell and smoothstep weight; kept between runs.
    std::vector<uint32_t> m_cells;
    std::vector<float> m_weights;
};
