#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// The frame (x, y, width, height).
class FrameNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 3};
    static constexpr const char* kTypeName = "Frame";

    FrameNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Frame GetFrameValue(uint32_t outplug) override;

private:
    enum : uint32_t { kX, kY, kWidth, kHeight };
    Frame m_frame;
};
