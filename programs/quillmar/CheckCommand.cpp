#include "programs/quillmar/CheckCommand.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <iostream>

#include "host/Status.h"
#include "programs/quillmar/ProjectNode.h"
#include "programs/quillmar/StatusReport.h"

namespace {

constexpr const char* kPrefix = "quillmar check: ";

}  // namespace

CheckCommand::CheckCommand(CLI::App& program)
    : Command(program, "check", "Read a project without running it and report every problem") {
    m_app->add_option("PROJECT", m_project, "Project file to check (.qmr)")->required();
    m_app->add_flag("--strict", m_strict, "Exit with 1 when the read gave any warning");
    m_app->add_flag("--json", m_json,
                    "Print one JSON object: {\"status\": {\"code\", \"message\", \"reason\"}}");
}

int CheckCommand::Run() {
    ProjectNode project;
    const Status status = project.Load(m_project, kPrefix);
    if (m_json) {
        const QJsonObject document{{"status", StatusReport::ToJson(status)}};
        const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
        std::cout.write(json.constData(), json.size());
    }
    if (status.GetCode() >= int(StatusCode::Error)) {
        StatusReport::PrintReadFailure(std::cerr, kPrefix, m_project, status);
        return kExitBadInput;
    }
    if (!m_json) {
        std::cout << m_project << (status.IsOk() ? ": read without problems\n" : ": warnings:\n");
        if (!status.IsOk()) {
            std::cout << status.GetFullMessage() << '\n';
        }
    }
    return m_strict && !status.IsOk() ? kExitEvaluationError : kExitSuccess;
}
