#include "hostlib/stdnodes/MaterialImageNode.h"

#include "host/Material.h"
#include "host/StringJoin.h"

MaterialImageNode::MaterialImageNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(
        this, kChannel, "channel", 0, StringJoin(MaterialTemplate::Pbr().GetImageNames(), ",")));
    m_inplug_declarations.push_back({0, Value::Material, "material", 0, 0});
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

void MaterialImageNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    const Material* material = ReadMaterial(inplug_values[GetInplugIdFromRegularInputId(0)]);
    const Image* image =
        m_active && material ? material->GetImage(ReadString(inplug_values[kChannel])) : nullptr;
    if (image) {
        CopyImage(m_image, *image);
    } else {
        m_image = nullptr;
    }
}

Image* MaterialImageNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
