#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

class Material;

// Passes a material through without copying it, like ImageIoNode. The input's type tag is not
// looked at: whatever material pointer arrives is held.
class MaterialIoNode : public IoNode {
public:
    MaterialIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    // Answers every event and does nothing.
    bool OnProcessEvent(NodeEvent event) override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held material.
    Material* GetMaterialValue(uint32_t outplug) override;

private:
    Material* m_material = nullptr;
};
