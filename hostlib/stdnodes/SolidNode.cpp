#include "hostlib/stdnodes/SolidNode.h"

SolidNode::SolidNode() : StandardNode(kNodeType, kTypeName) {
    AddImageSizeAttributes();
    m_attributes.emplace_back(Attribute::CreateRgbo(this, kColor, "color", {0.0, 0.0, 0.0, 1.0}));
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

void SolidNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (!BeginImage(inplug_values, m_image, width, height)) {
        return;
    }
    const Rgbo color = ReadRgbo(inplug_values[kColor]);
    Image& image = OwnImage(m_image);
    image.Resize(width, height);
    image.SetColorMode(1);
    image.Fill(float(color.r), float(color.g), float(color.b), float(color.o));
}

Image* SolidNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
