#include "nodes/control/ImageSwitchNode.h"

#include "host/Image.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/control/SwitchInput.h"

ImageSwitchNode::ImageSwitchNode() {
    m_attributes.emplace_back(new Attribute(this, 0, "index", 1.0, 1.0, 1000.0, 1.0, 0));
    m_inplug_declarations.push_back({0, Value::Image, "image", 0, 1});
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

ImageSwitchNode::~ImageSwitchNode() = default;

NodeType ImageSwitchNode::GetNodeType() const {
    return ProjectNodeTypes::kImageSwitchType;
}

std::string ImageSwitchNode::GetTypeName() const {
    return ProjectNodeTypes::kImageSwitchName;
}

bool ImageSwitchNode::OnProcessEvent(NodeEvent event) {
    if (event.m_type == kEventReleaseImages) {
        m_image = nullptr;
    }
    return true;
}

void ImageSwitchNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_image = nullptr;
    if (!m_active) {
        return;
    }
    const Value* chosen = SwitchInput::Find(*this, inplug_values, Value::Image);
    if (chosen && chosen->m_image) {
        m_image = new Image(*chosen->m_image);
    }
}

Image* ImageSwitchNode::GetImageValue(uint32_t outplug) {
    return outplug == 0 ? m_image.Get() : nullptr;
}
