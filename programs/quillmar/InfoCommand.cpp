#include "programs/quillmar/InfoCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <system_error>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "programs/quillmar/ProjectNode.h"
#include "programs/quillmar/StatusReport.h"
#include "programs/quillmar/ValueFormat.h"

namespace {

constexpr const char* kPrefix = "quillmar info: ";

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

void PrintSection(const char* title, const std::vector<std::string>& lines) {
    std::cout << title << (lines.empty() ? " none\n" : "\n");
    for (const std::string& line : lines) {
        std::cout << line << '\n';
    }
}

}  // namespace

InfoCommand::InfoCommand(CLI::App& program)
    : Command(program, "info",
              "Show the inputs, outputs and attributes a project gives a Node Graph node") {
    m_app->add_option("PROJECT", m_project, "Project file to describe (.qmr)")->required();
    m_app->add_flag("--json", m_json,
                    "Print one JSON object: {\"inputs\": [...], \"outputs\": [...], "
                    "\"attributes\": [...]}");
}

int InfoCommand::Run() {
    ProjectNode project;
    const Status status = project.Load(m_project, kPrefix);
    if (status.GetCode() >= int(StatusCode::Error)) {
        StatusReport::PrintReadFailure(std::cerr, kPrefix, m_project, status);
        if (m_json) {
            const QJsonObject document{{"status", StatusReport::ToJson(status)}};
            const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
            std::cout.write(json.constData(), json.size());
        }
        return kExitBadInput;
    }
    if (!status.IsOk()) {
        std::cerr << kPrefix << "warnings reading " << m_project << ":\n"
                  << status.GetMessage() << '\n';
    }
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(m_project, code);
    const LoopActions loop_actions = ReadLoopActions(code ? m_project : absolute.string());

    const Node* node = project.Get();
    QJsonArray inputs;
    std::vector<std::string> input_lines;
    for (uint32_t inplug = project.GetFirstInput(); inplug < node->GetNumInplugs(); ++inplug) {
        input_lines.emplace_back();
        inputs.append(DescribePlug(node->GetInplugName(inplug), node->GetInplugValueType(inplug),
                                   loop_actions.m_inputs, input_lines.back()));
    }
    QJsonArray outputs;
    std::vector<std::string> output_lines;
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
        output_lines.emplace_back();
        outputs.append(DescribePlug(node->GetOutplugName(outplug),
                                    node->GetOutplugValueType(outplug), loop_actions.m_outputs,
                                    output_lines.back()));
    }
    QJsonArray attributes;
    std::vector<std::string> attribute_lines;
    for (size_t index = ProjectNode::kFirstProjectAttribute; index < node->GetNumAttributes();
         ++index) {
        attribute_lines.emplace_back();
        attributes.append(
            DescribeAttribute(*node->GetAttributeByIndex(index), attribute_lines.back()));
    }

    if (m_json) {
        const QJsonObject document{
            {"inputs", inputs},
            {"outputs", outputs},
            {"attributes", attributes},
        };
        const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
        std::cout.write(json.constData(), json.size());
    } else {
        PrintSection("Inputs:", input_lines);
        PrintSection("Outputs:", output_lines);
        PrintSection("Attributes:", attribute_lines);
    }
    return kExitSuccess;
}
