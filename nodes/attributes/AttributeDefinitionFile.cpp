#include "nodes/attributes/AttributeDefinitionFile.h"

#include <locale.h>
#include <tinyxml.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "host/Attribute.h"
#include "host/DynamicNode.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/StringJoin.h"
#include "host/XmlFile.h"

namespace {

constexpr char kRootName[] = "QuillmarAttributesNode";
constexpr char kListName[] = "Attributes";
constexpr char kAttributeName[] = "Attribute";

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

// atof, in the C locale whatever the process locale is (the host sets the user's at start-up):
// the number at the start of the text, else 0; hexadecimal, infinities and NaN as atof reads them.
double ParseNumber(const char* text) {
    static const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", locale_t(0));
    return text ? ::strtod_l(text, nullptr, c_locale) : 0.0;
}

// atoi, saturated where atoi's own result would be undefined. Panels clamp what they show.
int ParseDecimals(const char* text) {
    if (!text) {
        return 0;
    }
    const long long value = std::strtoll(text, nullptr, 10);
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A number that is not finite is reported to the read under way. NaN reads as 0, as other text
// that is no number does; an infinite limit or step is kept (the panels cope with it), an
// infinite default reads as 0.
double ReadNumber(const TiXmlElement& element, const char* field, const std::string& name,
                  const std::string& path) {
    const char* text = element.Attribute(field);
    const double value = ParseNumber(text);
    if (std::isfinite(value)) {
        return value;
    }
    const bool kept = !std::isnan(value) && std::strcmp(field, "default") != 0;
    NodeGraph::ReportReadProblem("definitions file \"" + path + "\", attribute \"" + name +
                                 "\": \"" + field + "\" is not a finite number (\"" + text + "\")" +
                                 (kept ? "" : "; read as 0"));
    return kept ? value : 0.0;
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

void ReadAttribute(const TiXmlElement& element, DynamicNode& node, const std::string& path) {
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
    const double minimum = ReadNumber(element, "min", name, path);
    const double maximum = ReadNumber(element, "max", name, path);
    const double step = ReadNumber(element, "step", name, path);
    const double value = ReadNumber(element, "default", name, path);
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
        ReadAttribute(*element, node, path);
    }
    return true;
}
