#include "hostlib/stdnodes/ImageSizeNode.h"

ImageSizeNode::ImageSizeNode() : StandardNode(kNodeType, kTypeName) {
    m_inplug_declarations.push_back({0, Value::Image, "image", 0, 0});
    m_outplug_declarations.push_back({0, Value::Point, "size", 0});
    UpdateInplugsAndOutplugs();
}

void ImageSizeNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    const Image* input = ReadImage(inplug_values[GetInplugIdFromRegularInputId(0)]);
    m_size =
        m_active && input ? Point{double(input->GetWidth()), double(input->GetHeight())} : Point{};
}

Point ImageSizeNode::GetPointValue(uint32_t) {
    return m_size;
}
