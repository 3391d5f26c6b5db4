#include "hostlib/stdnodes/ReaderNode.h"

#include "host/Helper.h"
#include "host/ImageFile.h"

ReaderNode::ReaderNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kPath, "path", std::string()));
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

uint32_t ReaderNode::GetNumFileReferences() const {
    return 1;
}

std::string ReaderNode::GetFileReference(uint32_t index) const {
    return index == 0 ? m_attributes[kPath]->GetString() : std::string();
}

void ReaderNode::SetFileReference(uint32_t index, const std::string& path) {
    if (index == 0) {
        m_attributes[kPath]->SetString(path, true);
    }
}

void ReaderNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    SetState(0, 0, "");
    m_has_output = false;
    const std::string& path = ReadString(inplug_values[kPath]);
    if (!m_active || path.empty()) {
        return;
    }
    const std::string resolved = Helper::MakeProjectAbsolute(this, path);
    if (!m_image || resolved != m_image_path) {
        std::string error;
        m_image = ImageFile::Read(resolved, error);
        if (!m_image) {
            m_image_path.clear();
            SetState(0, 1, "Cannot read image file.");
            return;
        }
        m_image_path = resolved;
    }
    m_has_output = true;
}

Image* ReaderNode::GetImageValue(uint32_t) {
    return m_has_output ? m_image.Get() : nullptr;
}
