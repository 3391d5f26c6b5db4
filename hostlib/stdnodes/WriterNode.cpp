#include "hostlib/stdnodes/WriterNode.h"

WriterNode::WriterNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kPath, "path", std::string()));
    m_inplug_declarations.push_back({0, Value::Image, "image", 0, 0});
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

const std::string& WriterNode::GetPath() const {
    return m_attributes[kPath]->GetString();
}

void WriterNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    const Image* input = ReadImage(inplug_values[GetInplugIdFromRegularInputId(0)]);
    if (m_active && input) {
        CopyImage(m_image, *input);
    } else {
        m_image = nullptr;
    }
}

Image* WriterNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
