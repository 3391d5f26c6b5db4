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

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/PluginLoader.h"

namespace {

constexpr size_t kNumColumns = 9;
using Row = std::array<std::string, kNumColumns>;
constexpr const char* kPublished = "published";
constexpr const char* kCreates = "creates";

// Whether the type's factory makes a node of that type: the proof that a type is usable, not just
// described. A factory that throws is reported in `errors`.
std::string CheckCreation(const NodeTypeRegistry::Entry& entry, std::vector<std::string>& errors) {
    try {
        const RefPtr<Node> node = NodeTypeRegistry::Get().CreateNode(entry.m_type);
        if (!node) {
            return "no-node";
        }
        return node->GetNodeType() == entry.m_type ? kCreates : "wrong-type";
    } catch (const std::exception& exception) {
        errors.push_back(entry.m_type.ToString() + " (\"" + entry.m_name +
                         "\"): creating a node failed: " + exception.what());
        return "throws";
    }
}

Row DescribeEntry(const NodeTypeRegistry::Entry& entry, std::vector<std::string>& errors) {
    const NodeInterface* node_interface = entry.m_interface.Get();
    std::string creation = CheckCreation(entry, errors);
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

void PrintJson(const std::vector<Row>& rows, const std::vector<std::string>& plugins,
               const std::vector<std::string>& errors) {
    QJsonArray types;
    for (const Row& row : rows) {
        types.append(QJsonObject{
            {"type", QString::fromStdString(row[0])},
            {"name", QString::fromStdString(row[1])},
            {"category", QString::fromStdString(row[2])},
            {"display_mode", QString::fromStdString(row[3])},
            {"icon", QString::fromStdString(row[4])},
            {"small_icon", QString::fromStdString(row[5])},
            {"published", row[6] == kPublished},
            {"creates_nodes", row[7] == kCreates},
            {"source", QString::fromStdString(row[8])},
        });
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
    for (const NodeTypeRegistry::Entry* entry : NodeTypeRegistry::Get().GetEntries()) {
        rows.push_back(DescribeEntry(*entry, errors));
    }
    for (const std::string& error : errors) {
        std::cerr << "quillmar nodes: " << error << '\n';
    }
    if (m_json) {
        PrintJson(rows, loader.GetLoadedPaths(), errors);
    } else {
        PrintText(rows);
    }
    if (rows.empty()) {
        std::cerr << "quillmar nodes: no node type is registered\n";
        return kExitBadInput;
    }
    return kExitSuccess;
}
