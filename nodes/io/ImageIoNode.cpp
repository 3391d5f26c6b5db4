#include "nodes/io/ImageIoNode.h"

#include "library/ProjectNodeTypes.h"

ImageIoNode::ImageIoNode()
    : IoNode(Value::Image, "image", "replace,comp_over,addition,average,minimum,maximum") {}

NodeType ImageIoNode::GetNodeType() const {
    return ProjectNodeTypes::kImageIoType;
}

std::string ImageIoNode::GetTypeName() const {
    return ProjectNodeTypes::kImageIoName;
}

bool ImageIoNode::OnProcessEvent(NodeEvent) {
    return true;
}

void ImageIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_image = nullptr;
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_image = value->m_image;
    }
}

Image* ImageIoNode::GetImageValue(uint32_t) {
    return m_image;
}
