#include "hostlib/stdnodes/StandardNode.h"

#include "host/Attribute.h"

#include <cmath>

StandardNode::StandardNode(const NodeType& node_type, const char* type_name)
    : m_node_type(node_type), m_type_name(type_name) {}

double StandardNode::ReadNumber(const Value* value) {
    return value->m_type == Value::Number ? value->m_number : 0.0;
}

bool StandardNode::ReadBoolean(const Value* value) {
    return value->m_type == Value::Boolean && value->m_boolean;
}

Point StandardNode::ReadPoint(const Value* value) {
    return value->m_type == Value::Point ? value->m_point : Point{};
}

Rgbo StandardNode::ReadRgbo(const Value* value) {
    return value->m_type == Value::Rgbo ? value->m_rgbo : Rgbo{};
}

const std::string& StandardNode::ReadString(const Value* value) {
    static const std::string empty;
    return value->m_type == Value::String ? value->m_string : empty;
}

Image* StandardNode::ReadImage(const Value* value) {
    return value->m_type == Value::Image ? value->m_image : nullptr;
}

Material* StandardNode::ReadMaterial(const Value* value) {
    return value->m_type == Value::Material ? value->m_material : nullptr;
}

bool StandardNode::ReadWhole(const Value* value, int64_t minimum, int64_t maximum,
                             int64_t& result) {
    const double number = std::round(ReadNumber(value));
    if (!(number >= double(minimum) && number <= double(maximum))) {
        return false;
    }
    result = int64_t(number);
    return true;
}

int StandardNode::ReadChoice(uint32_t attribute_id, const Value* value) const {
    const std::vector<std::string>& choices = m_attributes[attribute_id]->GetChoiceNames();
    const std::string& name = ReadString(value);
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i] == name) {
            return int(i);
        }
    }
    return -1;
}

void StandardNode::AddImageSizeAttributes() {
    m_attributes.emplace_back(
        new Attribute(this, kWidthAttribute, "width", 256.0, 1.0, double(kMaxImageSide), 1.0, 0));
    m_attributes.emplace_back(
        new Attribute(this, kHeightAttribute, "height", 256.0, 1.0, double(kMaxImageSide), 1.0, 0));
}

bool StandardNode::BeginImage(const std::vector<const Value*>& inplug_values, RefPtr<Image>& image,
                              uint32_t& width, uint32_t& height) {
    SetState(0, 0, "");
    if (!m_active) {
        image = nullptr;
        return false;
    }
    int64_t whole_width = 0;
    int64_t whole_height = 0;
    if (!ReadWhole(inplug_values[kWidthAttribute], 1, kMaxImageSide, whole_width) ||
        !ReadWhole(inplug_values[kHeightAttribute], 1, kMaxImageSide, whole_height)) {
        SetState(0, 1, "Width and height must be from 1 to " + std::to_string(kMaxImageSide) + ".");
        image = nullptr;
        return false;
    }
    width = uint32_t(whole_width);
    height = uint32_t(whole_height);
    return true;
}

Image& StandardNode::OwnImage(RefPtr<Image>& slot) {
    if (!slot || slot->GetRefCount() != 1) {
        slot = new Image();
    }
    return *slot;
}

void StandardNode::CopyImage(RefPtr<Image>& slot, const Image& source) {
    if (slot.Get() != &source) {
        OwnImage(slot) = source;
    }
}
