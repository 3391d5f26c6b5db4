#include "hostlib/stdnodes/MaterialNode.h"

MaterialNode::MaterialNode() : StandardNode(kNodeType, kTypeName) {
    const std::vector<std::string>& names = MaterialTemplate::Pbr().GetImageNames();
    for (uint32_t i = 0; i < names.size(); ++i) {
        m_inplug_declarations.push_back({i, Value::Image, names[i], 0, 0});
    }
    m_outplug_declarations.push_back({0, Value::Material, "material", 0});
    UpdateInplugsAndOutplugs();
}

void MaterialNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    if (!m_active) {
        m_material = nullptr;
        return;
    }
    // Refill the material in place unless someone else holds it.
    if (!m_material || m_material->GetRefCount() != 1) {
        m_material = new Material(MaterialTemplate::Pbr());
    }
    const std::vector<std::string>& names = MaterialTemplate::Pbr().GetImageNames();
    for (uint32_t i = 0; i < names.size(); ++i) {
        const Image* input = ReadImage(inplug_values[GetInplugIdFromRegularInputId(i)]);
        if (!input) {
            m_material->SetImage(names[i], nullptr);
            continue;
        }
        RefPtr<Image> image(m_material->GetImage(names[i]));
        // Ours alone: the material's reference and the one just taken.
        if (image && image->GetRefCount() == 2) {
            *image = *input;
        } else {
            m_material->SetImage(names[i], new Image(*input));
        }
    }
}

Material* MaterialNode::GetMaterialValue(uint32_t) {
    return m_material.Get();
}
