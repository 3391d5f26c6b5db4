#include "nodes/attributes/AttributeDefinitionFile.h"

#include <tinyxml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

#include "host/Attribute.h"
#include "host/DynamicNode.h"
#include "host/Node.h"
#include "host/StringJoin.h"
#include "host/XmlFile.h"

namespace {

constexpr char kRootName[] = "QuillmarAttributesNode";
constexpr char kListName[] = "Attributes";
constexpr char kAttributeName[] = "Attribute";

// The decimals the attribute dialog offers; a file cannot ask the spinners for more.
constexpr int kMaxDecimals = 10;

// Text in the form of printf's "%f" (six decimals, no exponent), but with '.' as the decimal point
// whatever the process locale is: the host sets the user's locale at start-up.
std::string FormatNumber(double value) {
    char buffer[256];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 6);
    if (error != std::errc()) {
        // From about 1e248 on the fixed form does not fit; the shortest exact form reads back.
        end = std::to_chars(buffer, buffer + sizeof(buffer), value).ptr;
    }
    return std::string(buffer, end);
}

// Leading white space and a '+' sign skipped, as atof and atoi do.
std::string_view NumberStart(const char* text) {
    std::string_view rest = text ? text : "";
    rest.remove_prefix(std::min(rest.find_first_not_of(" \t\n\v\f\r"), rest.size()));
    if (!rest.empty() && rest.front() == '+') {
        rest.remove_prefix(1);
        if (!rest.empty() && rest.front() == '-') {
            return {};
        }
    }
    return rest;
}

// Like atof, with '.' as the decimal point in every locale: the number at the start of the text,
// 0 when there is none. Infinities, NaNs and numbers out of range give 0 too, so that a hostile
// file cannot put them into an attribute's range.
double ParseNumber(const char* text) {
    const std::string_view digits = NumberStart(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

// Like atoi (the integer at the start of the text, else 0), clamped into 0 to kMaxDecimals.
int ParseDecimals(const char* text) {
    const std::string_view digits = NumberStart(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        return digits.front() == '-' ? 0 : kMaxDecimals;
    }
    return int(std::clamp<long long>(value, 0, kMaxDecimals));
}

TiXmlElement* WriteAttribute(const Attribute& attribute, size_t id) {
    auto* element = new TiXmlElement(kAttributeName);
    element->SetAttribute("id", std::to_string(id));
    element->SetAttribute("name", attribute.GetName());
    element->SetAttribute("type", attribute.GetTypeName());
    switch (attribute.GetType()) {
        case Attribute::NUMBER:
        case Attribute::POINT:
        case Attribute::FRAME: {
            // The reader makes a frame's default (0, 0, d, d), so the third component is the one
            // that survives a save and a read.
            const double default_value = attribute.GetType() == Attribute::FRAME
                                             ? attribute.m_default[2]
                                             : attribute.m_default[0];
            element->SetAttribute("decimals", attribute.GetDecimals());
            element->SetAttribute("default", FormatNumber(default_value));
            element->SetAttribute("min", FormatNumber(attribute.GetMinimum()));
            element->SetAttribute("max", FormatNumber(attribute.GetMaximum()));
            element->SetAttribute("step", FormatNumber(attribute.GetSingleStep()));
            break;
        }
        case Attribute::CHOICE:
            element->SetAttribute("choices", StringJoin(attribute.GetChoiceNames(), ","));
            break;
        default:
            break;
    }
    return element;
}

void ReadAttribute(const TiXmlElement& element, DynamicNode& node) {
    const char* name_text = element.Attribute("name");
    const char* type_text = element.Attribute("type");
    const std::string name = name_text ? name_text : "";
    Attribute::Type type;
    if (!Attribute::TypeFromWord(type_text ? type_text : "", type)) {
        return;
    }
    switch (type) {
        case Attribute::BOOLEAN:
            node.AddBooleanAttribute(name, false);
            return;
        case Attribute::NUMBER:
        case Attribute::POINT:
        case Attribute::FRAME:
            break;
        case Attribute::RGBO:
            node.AddRgboAttribute(name, Rgbo{});
            return;
        case Attribute::CHOICE: {
            const char* choices = element.Attribute("choices");
            node.AddChoiceAttribute(name, choices ? choices : "");
            return;
        }
        case Attribute::STRING:
            node.AddStringAttribute(name, "");
            return;
    }
    const int decimals = ParseDecimals(element.Attribute("decimals"));
    const double minimum = ParseNumber(element.Attribute("min"));
    const double maximum = ParseNumber(element.Attribute("max"));
    const double step = ParseNumber(element.Attribute("step"));
    const double value = ParseNumber(element.Attribute("default"));
    if (type == Attribute::NUMBER) {
        node.AddNumberAttribute(name, value, minimum, maximum, step, decimals);
    } else if (type == Attribute::POINT) {
        node.AddPointAttribute(name, Point{value, value}, minimum, maximum, step, decimals);
    } else {
        // A frame keeps neither range, step nor decimals.
        node.AddFrameAttribute(name, Frame{0.0, 0.0, value, value});
    }
}

}  // namespace

bool AttributeDefinitionFile::Write(const Node& node, const std::string& path) {
    TiXmlDocument document(path);
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    auto* root = new TiXmlElement(kRootName);
    root->SetAttribute("major", 0);
    root->SetAttribute("minor", 0);
    document.LinkEndChild(root);
    auto* list = new TiXmlElement(kListName);
    const size_t count = node.GetNumAttributes();
    list->SetAttribute("num_attributes", std::to_string(count));
    root->LinkEndChild(list);
    for (size_t index = 0; index < count; ++index) {
        list->LinkEndChild(WriteAttribute(*node.GetAttributeByIndex(index), index));
    }
    return document.SaveFile();
}

bool AttributeDefinitionFile::Read(const std::string& path, DynamicNode& node) {
    TiXmlDocument document(path);
    if (!XmlFile::Load(document, path)) {
        return false;
    }
    const TiXmlElement* root = document.FirstChildElement(kRootName);
    int major = 0;
    int minor = 0;
    // Every version is accepted; the numbers only have to be there.
    if (!root || root->QueryIntAttribute("major", &major) != TIXML_SUCCESS ||
        root->QueryIntAttribute("minor", &minor) != TIXML_SUCCESS) {
        return false;
    }
    const TiXmlElement* list = root->FirstChildElement(kListName);
    int count = 0;
    // The count is not checked against the elements: those present are read.
    if (!list || list->QueryIntAttribute("num_attributes", &count) != TIXML_SUCCESS) {
        return false;
    }
    for (const TiXmlElement* element = list->FirstChildElement(kAttributeName); element;
         element = element->NextSiblingElement(kAttributeName)) {
        ReadAttribute(*element, node);
    }
    return true;
}
