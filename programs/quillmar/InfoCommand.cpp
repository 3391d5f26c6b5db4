#include "programs/quillmar/InfoCommand.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <iostream>
#include <string>
#include <vector>

#include "programs/quillmar/ProjectInfo.h"
#include "programs/quillmar/ProjectNode.h"
#include "programs/quillmar/StatusReport.h"

namespace {

constexpr const char* kPrefix = "quillmar info: ";

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
    const ProjectInfo info(project, m_project);
    if (m_json) {
        const QJsonObject document{
            {"inputs", info.m_inputs},
            {"outputs", info.m_outputs},
            {"attributes", info.m_attributes},
        };
        const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
        std::cout.write(json.constData(), json.size());
    } else {
        PrintSection("Inputs:", info.m_input_lines);
        PrintSection("Outputs:", info.m_output_lines);
        PrintSection("Attributes:", info.m_attribute_lines);
    }
    return kExitSuccess;
}
