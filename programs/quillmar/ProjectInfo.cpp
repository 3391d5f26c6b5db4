#include "programs/quillmar/ProjectInfo.h"

#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "programs/quillmar/ProjectNode.h"
#include "programs/quillmar/ValueFormat.h"

namespace {

struct IoType {
    NodeType m_type;
    const char* m_default_name;
};

// The project IO node types and the names the Node Graph node gives them when they have none.
const std::array<IoType, 8> kIoTypes = {{
    {NodeType(10, 1, 21), "bool"},
    {NodeType(10, 1, 26), "number"},
    {NodeType(10, 1, 32), "point"},
    {NodeType(10, 1, 37), "frame"},
    {NodeType(10, 1, 42), "rgbo"},
    {NodeType(10, 1, 53), "image"},
    {NodeType(10, 1, 64), "curves"},
    {NodeType(10, 1, 69), "material"},
}};

struct LoopActions {
    std::map<std::string, std::string> m_inputs;
    std::map<std::string, std::string> m_outputs;
};

// The Node Graph node keeps its IO nodes' loop actions to itself, so the project is read once
// more into a graph of its own and its IO nodes are looked at: one whose outplug is connected is
// an input, else one with a connected inplug an output, as the node decides. IO nodes without a
// loop action (Boolean IO) are left out.
LoopActions ReadLoopActions(const std::string& path) {
    LoopActions actions;
    RefPtr<NodeGraph> graph(new NodeGraph());
    if (ProjectFile::Read(path, *graph).GetCode() >= int(StatusCode::Error)) {
        return actions;
    }
    for (size_t index = 0; index < graph->GetNumNodes(); ++index) {
        const Node* node = graph->GetNode(index);
        const NodeType type = node->GetNodeType();
        const auto io_type = std::find_if(kIoTypes.begin(), kIoTypes.end(),
                                          [&type](const IoType& io) { return io.m_type == type; });
        const Attribute* loop_action = node->GetAttribute("loop_action");
        if (io_type == kIoTypes.end() || !loop_action ||
            loop_action->GetType() != Attribute::CHOICE) {
            continue;
        }
        const std::string name =
            node->GetName().empty() ? io_type->m_default_name : node->GetName();
        if (node->GetNumConnectedToOutplug() != 0) {
            actions.m_inputs.emplace(name, loop_action->GetChoice());
        } else if (node->GetNumConnectedToInplug() != 0) {
            actions.m_outputs.emplace(name, loop_action->GetChoice());
        }
    }
    return actions;
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonObject DescribePlug(const std::string& name, Node::Value::Type type,
                         const std::map<std::string, std::string>& loop_actions,
                         std::string& text) {
    const auto found = loop_actions.find(name);
    const std::string action = found == loop_actions.end() ? std::string() : found->second;
    text = "  " + name + " (" + ValueFormat::TypeWord(type) + ")";
    if (!action.empty()) {
        text += ", loop action " + action;
    }
    return QJsonObject{
        {"name", ToQString(name)},
        {"type", ValueFormat::TypeWord(type)},
        {"loop_action", action.empty() ? QJsonValue() : ToQString(action)},
    };
}

QJsonObject DescribeAttribute(const Attribute& attribute, std::string& text) {
    QJsonObject object{
        {"name", ToQString(attribute.GetName())},
        {"type", ValueFormat::TypeWord(attribute.GetType())},
        {"value", ValueFormat::AttributeJson(attribute)},
    };
    text = "  " + attribute.GetName() + " (" + ValueFormat::TypeWord(attribute.GetType()) +
           ") = " + ValueFormat::AttributeText(attribute);
    double minimum = 0.0;
    double maximum = 0.0;
    // The limits --set keeps to: an infinite side shows where the panel stops.
    if (ValueFormat::HasRange(attribute) && attribute.GetEditRange(minimum, maximum)) {
        object.insert("minimum", minimum);
        object.insert("maximum", maximum);
        text += ", from " + ValueFormat::Number(minimum) + " to " + ValueFormat::Number(maximum);
    }
    if (attribute.GetType() == Attribute::CHOICE) {
        QJsonArray choices;
        std::string joined;
        for (const std::string& choice : attribute.GetChoiceNames()) {
            choices.append(ToQString(choice));
            joined += (joined.empty() ? "" : ", ") + choice;
        }
        object.insert("choices", choices);
        text += ", one of " + joined;
    }
    return object;
}

}  // namespace

ProjectInfo::ProjectInfo(const ProjectNode& project, const std::string& path) {
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(path, code);
    const LoopActions loop_actions = ReadLoopActions(code ? path : absolute.string());

    const Node* node = project.Get();
    for (uint32_t inplug = project.GetFirstInput(); inplug < node->GetNumInplugs(); ++inplug) {
        m_input_lines.emplace_back();
        m_inputs.append(DescribePlug(node->GetInplugName(inplug), node->GetInplugValueType(inplug),
                                     loop_actions.m_inputs, m_input_lines.back()));
    }
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
        m_output_lines.emplace_back();
        m_outputs.append(DescribePlug(node->GetOutplugName(outplug),
                                      node->GetOutplugValueType(outplug), loop_actions.m_outputs,
                                      m_output_lines.back()));
    }
    for (size_t index = ProjectNode::kFirstProjectAttribute; index < node->GetNumAttributes();
         ++index) {
        m_attribute_lines.emplace_back();
        m_attributes.append(
            DescribeAttribute(*node->GetAttributeByIndex(index), m_attribute_lines.back()));
    }
}
