#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// A width x height image filled with one colour, colour mode 1.
class SolidNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 3, 0};
    static constexpr const char* kTypeName = "Solid";

    SolidNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kColor = kHeightAttribute + 1 };
    RefPtr<Image> m_image;
};
