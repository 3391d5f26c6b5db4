#include "hostlib/stdnodes/TextNode.h"

TextNode::TextNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(new Attribute(this, kValue, "value", std::string()));
    m_outplug_declarations.push_back({0, Value::String, "string", 0});
    UpdateInplugsAndOutplugs();
}

void TextNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    if (m_active) {
        m_text = ReadString(inplug_values[kValue]);
    } else {
        m_text.clear();
    }
}

std::string TextNode::GetStringValue(uint32_t) {
    return m_text;
}
