#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nodes/io/IoNode.h"

class Image;

// Passes an image through without copying it: the held image belongs to the node that made it and
// is valid only as long as that node's value. Consumers that keep it copy it. An empty input or an
// inactive node gives no image.
class ImageIoNode : public IoNode {
public:
    ImageIoNode();
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    // Answers every event and does nothing: there is nothing of its own to release or redraw.
    bool OnProcessEvent(NodeEvent event) override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Any outplug index gives the held image.
    Image* GetImageValue(uint32_t outplug) override;

private:
    Image* m_image = nullptr;
};
