#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Node.h"
#include "host/RefPtr.h"

class Material;

// Passes on a copy of the material at the input that the "index" attribute picks (1 is the first
// input). The material input grows: the host offers one more input than are connected. An index
// outside the inputs, an empty input or an inactive node gives no material, silently.
class MaterialSwitchNode : public Node {
public:
    MaterialSwitchNode();
    ~MaterialSwitchNode() override;
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    // Event 11 lets go of the held material; every event is answered with true.
    bool OnProcessEvent(NodeEvent event) override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Outplug 0 gives the held material (the node keeps its reference); any other index null.
    Material* GetMaterialValue(uint32_t outplug) override;

private:
    RefPtr<Material> m_material;
};
