#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// A copy of the chosen image of the input material; none when the material lacks it.
class MaterialImageNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 4, 1};
    static constexpr const char* kTypeName = "Material Image";

    MaterialImageNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kChannel };
    RefPtr<Image> m_image;
};
