#include "host/DynamicNode.h"

DynamicNode::DynamicNode(bool outplugs_from_attributes)
    : m_outplugs_from_attributes(outplugs_from_attributes) {}

DynamicNode::~DynamicNode() = default;

uint64_t DynamicNode::AddBooleanAttribute(const std::string& name, bool value) {
    return AppendAttribute(
        Attribute::CreateBoolean(this, uint32_t(m_attributes.size()), name, value));
}

uint64_t DynamicNode::AddNumberAttribute(const std::string& name, double value, double minimum,
                                         double maximum, double single_step, int decimals) {
    return AppendAttribute(new Attribute(this, uint32_t(m_attributes.size()), name, value, minimum,
                                         maximum, single_step, decimals));
}

uint64_t DynamicNode::AddPointAttribute(const std::string& name, const Point& value, double minimum,
                                        double maximum, double single_step, int decimals) {
    return AppendAttribute(Attribute::CreatePoint(this, uint32_t(m_attributes.size()), name, value,
                                                  minimum, maximum, single_step, decimals));
}

uint64_t DynamicNode::AddFrameAttribute(const std::string& name, const Frame& value) {
    return AppendAttribute(
        Attribute::CreateFrame(this, uint32_t(m_attributes.size()), name, value));
}

uint64_t DynamicNode::AddRgboAttribute(const std::string& name, const Rgbo& value) {
    return AppendAttribute(Attribute::CreateRgbo(this, uint32_t(m_attributes.size()), name, value));
}

uint64_t DynamicNode::AddChoiceAttribute(const std::string& name, const std::string& choices) {
    return AppendAttribute(new Attribute(this, uint32_t(m_attributes.size()), name, 0, choices));
}

uint64_t DynamicNode::AddStringAttribute(const std::string& name, const std::string& text) {
    return AppendAttribute(new Attribute(this, uint32_t(m_attributes.size()), name, text));
}

uint64_t DynamicNode::AppendAttribute(Attribute* attribute) {
    const uint64_t index = m_attributes.size();
    m_attributes.emplace_back(attribute);
    if (m_outplugs_from_attributes) {
        OutplugDeclaration declaration;
        declaration.m_id = uint32_t(index);
        declaration.m_type = AttributeValueType(attribute->GetType());
        declaration.m_name = attribute->GetName();
        m_outplug_declarations.push_back(std::move(declaration));
    }
    UpdateInplugsAndOutplugs();
    PostEvent(kEventAttributeAdded, uint32_t(index));
    return index;
}

bool DynamicNode::DeleteAttribute(uint64_t index) {
    if (index >= m_attributes.size()) {
        return false;
    }
    m_attributes[index]->m_node = nullptr;
    m_attributes.erase(m_attributes.begin() + index);
    for (size_t a = index; a < m_attributes.size(); ++a) {
        m_attributes[a]->m_id = uint32_t(a);
    }
    if (m_outplugs_from_attributes && index < m_outplug_declarations.size()) {
        m_outplug_declarations.erase(m_outplug_declarations.begin() + index);
        for (size_t d = index; d < m_outplug_declarations.size(); ++d) {
            m_outplug_declarations[d].m_id = uint32_t(d);
        }
        // Move the outplugs' declaration indices along, so that the rebuild keeps the later
        // outplugs (and their connections) and drops the deleted one.
        for (Outplug& outplug : m_outplugs) {
            if (outplug.m_declaration == index) {
                outplug.m_declaration = kNone;
            } else if (outplug.m_declaration != kNone && outplug.m_declaration > index) {
                --outplug.m_declaration;
            }
        }
    }
    UpdateInplugsAndOutplugs();
    PostEvent(kEventAttributeDeleted, uint32_t(index));
    return true;
}

void DynamicNode::UpdateOutplugs() {
    if (m_outplugs_from_attributes) {
        m_outplug_declarations.clear();
        for (size_t a = 0; a < m_attributes.size(); ++a) {
            OutplugDeclaration declaration;
            declaration.m_id = uint32_t(a);
            declaration.m_type = AttributeValueType(m_attributes[a]->GetType());
            declaration.m_name = m_attributes[a]->GetName();
            m_outplug_declarations.push_back(std::move(declaration));
        }
    }
    UpdateInplugsAndOutplugs();
}

Status DynamicNode::SetAttributeLoadedValues() {
    Status status;
    for (const AttributeRecord& record : m_loaded_records) {
        Attribute* target = nullptr;
        for (const RefPtr<Attribute>& attribute : m_attributes) {
            if (attribute->GetName() == record.m_name &&
                attribute->GetTypeName() == record.m_type_word) {
                target = attribute.Get();
                break;
            }
        }
        if (!target) {
            status.Merge({StatusCode::Warning, "No attribute \"" + record.m_name + "\" of type " +
                                                   record.m_type_word + " for a saved value."});
        } else if (!target->SetValueText(record.m_value, false)) {
            status.Merge({StatusCode::Warning, "Saved value \"" + record.m_value +
                                                   "\" does not fit attribute \"" + record.m_name +
                                                   "\"."});
        }
    }
    m_loaded_records.clear();
    return status;
}
