#pragma once

#include <vector>

#include "hostlib/stdnodes/StandardNode.h"

// Box blur of the input: each pixel becomes the mean of the (2r + 1) x (2r + 1) pixels around it,
// pixels beyond the edges repeating the edge. Two separable passes with running sums, so the cost
// does not depend on the radius. No input gives none.
class BlurNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 3, 2};
    static constexpr const char* kTypeName = "Blur";

    BlurNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kRadius };

    void BlurRows(const Image& source, int64_t radius);
    void BlurColumns(Image& target, int64_t radius);

    RefPtr<Image> m_image;
    // The rows pass; kept between runs.
    std::vector<float> m_rows;
    std::vector<double> m_sums;
};
