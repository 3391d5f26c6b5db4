#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// The foreground blended onto the background by the chosen mode and opacity (see Blend). Without
// a background: none; without a foreground: a copy of the background.
class BlendNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 3, 3};
    static constexpr const char* kTypeName = "Blend";

    BlendNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kMode, kOpacity };
    RefPtr<Image> m_image;
};
