#include "nodes/attributes/AttributesNode.h"

#include "host/StringJoin.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/attributes/AttributeDefinitionFile.h"

AttributesNode::AttributesNode() : DynamicNode(true) {
    UpdateOutplugs();
}

AttributesNode::~AttributesNode() = default;

void AttributesNode::CopyFrom(Node* source) {
    const auto* other = dynamic_cast<const AttributesNode*>(source);
    if (!other) {
        return;
    }
    // Counted first and read by index, so that copying a node onto itself ends.
    const size_t count = other->GetNumAttributes();
    for (size_t index = 0; index < count; ++index) {
        const Attribute& attribute = *other->GetAttributeByIndex(index);
        const std::string& name = attribute.GetName();
        switch (attribute.GetType()) {
            case Attribute::BOOLEAN:
                AddBooleanAttribute(name, attribute.GetBoolean());
                break;
            case Attribute::NUMBER:
                AddNumberAttribute(name, attribute.m_default[0], attribute.GetMinimum(),
                                   attribute.GetMaximum(), attribute.GetSingleStep(),
                                   attribute.GetDecimals());
                break;
            case Attribute::POINT:
                AddPointAttribute(name, attribute.GetPoint(), attribute.GetMinimum(),
                                  attribute.GetMaximum(), attribute.GetSingleStep(),
                                  attribute.GetDecimals());
                break;
            case Attribute::FRAME:
                AddFrameAttribute(name, attribute.GetFrame());
                break;
            case Attribute::RGBO:
                AddRgboAttribute(name, attribute.GetRgbo());
                break;
            case Attribute::CHOICE:
                AddChoiceAttribute(name, StringJoin(attribute.GetChoiceNames(), ","));
                break;
            case Attribute::STRING:
                AddStringAttribute(name, "");
                break;
        }
    }
}

NodeType AttributesNode::GetNodeType() const {
    return ProjectNodeTypes::kAttributesType;
}

std::string AttributesNode::GetTypeName() const {
    return ProjectNodeTypes::kAttributesName;
}

void AttributesNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>&) {}

const Attribute* AttributesNode::AttributeOfType(uint32_t outplug, Attribute::Type type) const {
    if (outplug >= GetNumAttributes()) {
        return nullptr;
    }
    const Attribute* attribute = GetAttributeByIndex(outplug);
    return attribute && attribute->GetType() == type ? attribute : nullptr;
}

bool AttributesNode::GetBooleanValue(uint32_t outplug) {
    const Attribute* attribute = AttributeOfType(outplug, Attribute::BOOLEAN);
    return attribute && attribute->GetBoolean();
}

double AttributesNode::GetNumberValue(uint32_t outplug) {
    const Attribute* attribute = AttributeOfType(outplug, Attribute::NUMBER);
    return attribute ? attribute->GetNumber() : 0.0;
}

Point AttributesNode::GetPointValue(uint32_t outplug) {
    const Attribute* attribute = AttributeOfType(outplug, Attribute::POINT);
    return attribute ? attribute->GetPoint() : Point{};
}

Frame AttributesNode::GetFrameValue(uint32_t outplug) {
    const Attribute* attribute = AttributeOfType(outplug, Attribute::FRAME);
    return attribute ? attribute->GetFrame() : Frame{};
}

Rgbo AttributesNode::GetRgboValue(uint32_t outplug) {
    const Attribute* attribute = AttributeOfType(outplug, Attribute::RGBO);
    return attribute ? attribute->GetRgbo() : Rgbo{};
}

std::string AttributesNode::GetStringValue(uint32_t outplug) {
    if (const Attribute* text = AttributeOfType(outplug, Attribute::STRING)) {
        return text->GetString();
    }
    if (const Attribute* choice = AttributeOfType(outplug, Attribute::CHOICE)) {
        return choice->GetChoice();
    }
    return {};
}

std::vector<std::string> AttributesNode::SaveDefinitions(const std::string& base_path) {
    const std::string path = base_path + ".xml";
    // A failed write is not reported: the host finds the file missing itself.
    AttributeDefinitionFile::Write(*this, path);
    return {path};
}

bool AttributesNode::LoadDefinitions(const std::vector<std::string>& files) {
    if (files.size() != 1) {
        return false;
    }
    return AttributeDefinitionFile::Read(files.front(), *this);
}
