#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Node.h"
#include "host/RefPtr.h"

class Image;

// Passes on a copy of the image at the input that the "index" attribute picks (1 is the first
// input). The image input grows: the host offers one more input than are connected. An index
// outside the inputs, an empty input or an inactive node gives no image, silently.
class ImageSwitchNode : public Node {
public:
    ImageSwitchNode();
    ~ImageSwitchNode() override;
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    // Event 11 lets go of the held image; every event is answered with true.
    bool OnProcessEvent(NodeEvent event) override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    // Outplug 0 gives the held image (the node keeps its reference); any other index null.
    Image* GetImageValue(uint32_t outplug) override;

private:
    RefPtr<Image> m_image;
};
