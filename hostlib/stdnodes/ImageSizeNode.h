#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// The input image's (width, height) as a point; (0, 0) without input.
class ImageSizeNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 3, 4};
    static constexpr const char* kTypeName = "Image Size";

    ImageSizeNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Point GetPointValue(uint32_t outplug) override;

private:
    Point m_size;
};
