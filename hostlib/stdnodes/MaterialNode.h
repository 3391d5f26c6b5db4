#pragma once

#include "host/Material.h"
#include "hostlib/stdnodes/StandardNode.h"

// A material of template "pbr" holding copies of the images connected to the inputs of the same
// names; an input without image leaves that name out.
class MaterialNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 4, 0};
    static constexpr const char* kTypeName = "Material";

    MaterialNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Material* GetMaterialValue(uint32_t outplug) override;

private:
    RefPtr<Material> m_material;
};
