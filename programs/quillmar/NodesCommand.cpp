#include "programs/quillmar/NodesCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <array>
#include <exception>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/PluginLoader.h"
#include "programs/quillmar/ValueFormat.h"

namespace {

constexpr size_t kNumColumns = 9;
using Row = std::array<std::string, kNumColumns>;
constexpr const char* kPublished = "published";
constexpr const char* kCreates = "creates";

// A node's plugs (name, value type, direction) and attributes (name, type, default, range,
// choices), for authors writing Project.xml by hand. Attribute inplugs come first, as they are
// listed among the node's inplugs.
QJsonObject DescribeInterface(const Node& node) {
    QJsonArray plugs;
    for (uint32_t inplug = 0; inplug < node.GetNumInplugs(); ++inplug) {
        plugs.append(QJsonObject{{"name", QString::fromStdString(node.GetInplugName(inplug))},
                                 {"type", ValueFormat::TypeWord(node.GetInplugValueType(inplug))},
                                 {"direction", "in"}});
    }
    for (uint32_t outplug = 0; outplug < node.GetNumOutplugs(); ++outplug) {
        plugs.append(QJsonObject{{"name", QString::fromStdString(node.GetOutplugName(outplug))},
                                 {"type", ValueFormat::TypeWord(node.GetOutplugValueType(outplug))},
                                 {"direction", "out"}});
    }
    QJsonArray attributes;
    for (size_t index = 0; index < node.GetNumAttributes(); ++index) {
        const Attribute& attribute = *node.GetAttributeByIndex(index);
        QJsonObject object{{"name", QString::fromStdString(attribute.GetName())},
                           {"type", ValueFormat::TypeWord(attribute.GetType())},
                           {"default", ValueFormat::AttributeJson(attribute)}};
        double minimum = 0.0;
        double maximum = 0.0;
        if (attribute.GetEditRange(minimum, maximum)) {
            object.insert("minimum", minimum);
            object.insert("maximum", maximum);
        }
        if (attribute.GetType() == Attribute::CHOICE) {
            QJsonArray choices;
            for (const std::string& choice : attribute.GetChoiceNames()) {
                choices.append(QString::fromStdString(choice));
            }
            object.insert("choices", choices);
        }
        attributes.append(object);
    }
    return QJsonObject{{"plugs", plugs}, {"attributes", attributes}};
}

// Whether the type's factory makes a node of that type: the proof that a type is usable, not just
// described; `details` then describes the node. A factory that throws is reported in `errors`.
std::string CheckCreation(const NodeTypeRegistry::Entry& entry, QJsonObject& details,
                          std::vector<std::string>& errors) {
    try {
        const RefPtr<Node> node = NodeTypeRegistry::Get().CreateNode(entry.m_type);
        if (!node) {
            return "no-node";
        }
        if (node->GetNodeType() != entry.m_type) {
            return "wrong-type";
        }
        details = DescribeInterface(*node);
        return kCreates;
    } catch (const std::exception& exception) {
        errors.push_back(entry.m_type.ToString() + " (\"" + entry.m_name +
                         "\"): creating a node failed: " + exception.what());
        return "throws";
    }
}

Row DescribeEntry(const NodeTypeRegistry::Entry& entry, QJsonObject& details,
                  std::vector<std::string>& errors) {
    const NodeInterface* node_interface = entry.m_interface.Get();
    std::string creation = CheckCreation(entry, details, errors);
    if (!node_interface) {
        return {entry.m_type.ToString(), entry.m_name,  "", "", "", "", "unpublished",
                std::move(creation),     entry.m_source};
    }
    return {entry.m_type.ToString(),
            entry.m_name,
            node_interface->GetCategory(),
            node_interface->GetDisplayMode(),
            node_interface->GetIconPath(),
            node_interface->GetSmallIconPath(),
            kPublished,
            std::move(creation),
            entry.m_source};
}

void PrintText(const std::vector<Row>& rows) {
    std::array<size_t, kNumColumns> widths{};
    for (const Row& row : rows) {
        for (size_t column = 0; column < kNumColumns; ++column) {
            widths[column] = std::max(widths[column], std::max<size_t>(row[column].size(), 1));
        }
    }
    for (const Row& row : rows) {
        std::string line;
        for (size_t column = 0; column < kNumColumns; ++column) {
            const std::string& field = row[column].empty() ? std::string("-") : row[column];
            line += field;
            if (column + 1 < kNumColumns) {
                line.append(widths[column] - field.size() + 2, ' ');
            }
        }
        std::cout << line << '\n';
    }
}

QJsonArray ToJsonArray(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) {
        array.append(QString::fromStdString(text));
    }
    return array;
}

void PrintJson(const std::vector<Row>& rows, const std::vector<QJsonObject>& details,
               const std::vector<std::string>& plugins, const std::vector<std::string>& errors) {
    QJsonArray types;
    for (size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        QJsonObject type{
            {"type", QString::fromStdString(row[0])},
            {"name", QString::fromStdString(row[1])},
            {"category", QString::fromStdString(row[2])},
            {"display_mode", QString::fromStdString(row[3])},
            {"icon", QString::fromStdString(row[4])},
            {"small_icon", QString::fromStdString(row[5])},
            {"published", row[6] == kPublished},
            {"creates_nodes", row[7] == kCreates},
            {"source", QString::fromStdString(row[8])},
        };
        for (auto field = details[index].begin(); field != details[index].end(); ++field) {
            type.insert(field.key(), field.value());
        }
        types.append(type);
    }
    const QJsonObject document{
        {"node_types", types},
        {"plugins", ToJsonArray(plugins)},
        {"errors", ToJsonArray(errors)},
    };
    const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::cout.write(json.constData(), json.size());
}

}  // namespace

NodesCommand::NodesCommand(CLI::App& program)
    : Command(program, "nodes", "List the node types of the host and of the loaded plug-ins") {
    m_app->add_flag("--json", m_json, "Print one JSON object");
}

int NodesCommand::Run() {
    PluginLoader& loader = PluginLoader::Get();
    loader.LoadDefault();
    std::vector<std::string> errors = loader.GetErrors();
    std::vector<Row> rows;
    std::vector<QJsonObject> details;
    for (const NodeTypeRegistry::Entry* entry : NodeTypeRegistry::Get().GetEntries()) {
        details.emplace_back();
        rows.push_back(DescribeEntry(*entry, details.back(), errors));
    }
    for (const std::string& error : errors) {
        std::cerr << "quillmar nodes: " << error << '\n';
    }
    if (m_json) {
        PrintJson(rows, details, loader.GetLoadedPaths(), errors);
    } else {
        PrintText(rows);
    }
    if (rows.empty()) {
        std::cerr << "quillmar nodes: no node type is registered\n";
        return kExitBadInput;
    }
    return kExitSuccess;
}
