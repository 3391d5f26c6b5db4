#include "programs/quillmar/RunSetup.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/NumberText.h"
#include "programs/quillmar/ValueFormat.h"

namespace fs = std::filesystem;

namespace {

int NumberCount(Attribute::Type type) {
    switch (type) {
        case Attribute::NUMBER:
            return 1;
        case Attribute::POINT:
            return 2;
        case Attribute::FRAME:
        case Attribute::RGBO:
            return 4;
        default:
            return 0;
    }
}

// What --set takes for the attribute, for error messages.
std::string AcceptedForm(const Attribute& attribute) {
    std::string range;
    double minimum = 0.0;
    double maximum = 0.0;
    if (attribute.GetEditRange(minimum, maximum)) {
        range = " from " + ValueFormat::Number(minimum) + " to " + ValueFormat::Number(maximum);
    }
    switch (attribute.GetType()) {
        case Attribute::BOOLEAN:
            return "true or false";
        case Attribute::NUMBER:
            return range.empty() ? "a number such as 3.5" : "a number" + range;
        case Attribute::POINT:
            return "a point x,y" + (range.empty() ? "" : ", each" + range);
        case Attribute::FRAME:
            return "a frame x,y,width,height, each" + range;
        case Attribute::RGBO:
            return "a colour r,g,b,o, each" + range;
        case Attribute::CHOICE: {
            std::string choices;
            for (const std::string& choice : attribute.GetChoiceNames()) {
                choices += (choices.empty() ? "" : ", ") + choice;
            }
            return "one of " + choices;
        }
        case Attribute::STRING:
            return "any text";
    }
    return "nothing";
}

bool SetAttributeText(Attribute& attribute, const std::string& text) {
    const int count = NumberCount(attribute.GetType());
    if (count > 0) {
        double values[4];
        if (!ParseNumbers(text, count, values)) {
            return false;
        }
        // The panel's limits, so that a value --set takes is one the panel could show.
        double minimum = 0.0;
        double maximum = 0.0;
        attribute.GetEditRange(minimum, maximum);
        for (int index = 0; index < count; ++index) {
            if (values[index] < minimum || values[index] > maximum) {
                return false;
            }
        }
    }
    return attribute.SetValueText(text, false);
}

// The standard source node that gives a value of that type, and its attributes in the order the
// command line gives their numbers (one attribute for a text form the attribute reads itself).
struct SourceKind {
    Node::Value::Type m_type;
    NodeType m_node_type;
    std::vector<const char*> m_attributes;
    const char* m_form;
};

const std::vector<SourceKind>& SourceKinds() {
    static const std::vector<SourceKind> kinds = {
        {Node::Value::Number, NodeType(10, 2, 0), {"value"}, "a number such as 3.5"},
        {Node::Value::Point, NodeType(10, 2, 2), {"x", "y"}, "a point x,y"},
        {Node::Value::Frame,
         NodeType(10, 2, 3),
         {"x", "y", "width", "height"},
         "a frame x,y,width,height"},
        {Node::Value::Rgbo, NodeType(10, 2, 4), {"color"}, "a colour r,g,b,o"},
        {Node::Value::Boolean, NodeType(10, 2, 5), {"value"}, "true or false"},
        {Node::Value::String, NodeType(10, 2, 6), {"value"}, "any text"},
        {Node::Value::Image, NodeType(10, 15, 0), {"path"}, "an image file"},
    };
    return kinds;
}

// Sets the source's attributes from the command-line text; false when it does not fit.
bool SetSourceValue(Node& source, const SourceKind& kind, const std::string& text) {
    switch (kind.m_type) {
        case Node::Value::Number:
        case Node::Value::Point:
        case Node::Value::Frame: {
            double values[4];
            const int count = int(kind.m_attributes.size());
            if (!ParseNumbers(text, count, values)) {
                return false;
            }
            for (int index = 0; index < count; ++index) {
                source.GetAttribute(kind.m_attributes[size_t(index)])
                    ->SetNumber(values[index], false);
            }
            return true;
        }
        case Node::Value::Rgbo: {
            double values[4];
            return ParseNumbers(text, 4, values) &&
                   source.GetAttribute("color")->SetValueText(text, false);
        }
        case Node::Value::Image: {
            std::error_code code;
            const fs::path absolute = fs::absolute(text, code);
            source.GetAttribute("path")->SetString(code ? text : absolute.string(), false);
            return !text.empty();
        }
        default:
            return source.GetAttribute(kind.m_attributes[0])->SetValueText(text, false);
    }
}

}  // namespace

std::string RunSetup::SetAttribute(ProjectNode& project, const std::string& name,
                                   const std::string& value) {
    Node* node = project.Get();
    Attribute* attribute = node->GetAttribute(name);
    if (!attribute || attribute == node->GetAttributeByIndex(0)) {
        std::string names;
        for (size_t index = 1; index < node->GetNumAttributes(); ++index) {
            names += (names.empty() ? "" : ", ") + node->GetAttributeByIndex(index)->GetName();
        }
        return "--set " + name +
               (attribute ? ": the project file is given as PROJECT" : ": no such attribute") +
               "; the attributes are " + names;
    }
    if (!SetAttributeText(*attribute, value)) {
        return "--set " + name + "=" + value + ": " + name + " takes " + AcceptedForm(*attribute);
    }
    return "";
}

std::string RunSetup::ConnectInput(ProjectNode& project, const std::string& name,
                                   const std::string& value) {
    Node* node = project.Get();
    const uint32_t inplug = project.FindInput(name);
    if (inplug == Node::kNone) {
        std::string names;
        for (uint32_t other = project.GetFirstInput(); other < node->GetNumInplugs(); ++other) {
            names += (names.empty() ? "" : ", ") + node->GetInplugName(other);
        }
        return "--input " + name + ": the project has no such input; " +
               (names.empty() ? "it has no inputs" : "its inputs are " + names);
    }
    const Node::Value::Type type = node->GetInplugValueType(inplug);
    const auto kind = std::find_if(SourceKinds().begin(), SourceKinds().end(),
                                   [type](const SourceKind& k) { return k.m_type == type; });
    if (kind == SourceKinds().end()) {
        return "--input " + name + ": the input takes a " + ValueFormat::TypeWord(type) +
               ", which the command line cannot give";
    }
    NodeGraph* document = Engine::Get()->GetDocument();
    Node* source = document->CreateNode(kind->m_node_type);
    if (!source) {
        return "--input " + name + ": the host makes no node of type " +
               kind->m_node_type.ToString();
    }
    // A refused value leaves no source node behind.
    const auto refuse = [document, source](const std::string& message) {
        document->DeleteNode(source);
        return message;
    };
    for (const char* attribute : kind->m_attributes) {
        if (!source->GetAttribute(attribute)) {
            return refuse("--input " + name + ": the host's " + source->GetTypeName() +
                          " node has no attribute " + attribute);
        }
    }
    if (!SetSourceValue(*source, *kind, value)) {
        return refuse("--input " + name + "=" + value + ": " + name + " takes " + kind->m_form);
    }
    if (type == Node::Value::Image) {
        // An unreadable image is a file that could not be read, not an evaluation error.
        EvaluateNodeOutplugs({{source, 0, false}}).EvaluateAll();
        if (source->GetState(0) > 0 || !source->GetImageValue(0)) {
            return refuse("--input " + name + ": cannot read the image " + value + ": " +
                          source->GetStateMessage(0));
        }
    }
    if (!Engine::Get()->ConnectNodes(source, 0, node, inplug)) {
        return refuse("--input " + name + ": cannot connect a " +
                      std::string(ValueFormat::TypeWord(type)) + " source to the input");
    }
    return "";
}
