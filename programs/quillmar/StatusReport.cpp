#include "programs/quillmar/StatusReport.h"

#include <iostream>
#include <sstream>

#include <QJsonDocument>
#include <QString>

void StatusReport::PrintReadFailure(std::ostream& stream, const std::string& prefix,
                                    const std::string& path, const Status& status) {
    stream << prefix << "cannot read " << path << ": " << status.GetMessage() << '\n';
    std::istringstream reason(status.GetReason());
    for (std::string line; std::getline(reason, line);) {
        stream << prefix << line << '\n';
    }
}

QJsonObject StatusReport::ToJson(const Status& status) {
    return QJsonObject{{"code", status.GetCode()},
                       {"message", QString::fromStdString(status.GetMessage())},
                       {"reason", QString::fromStdString(status.GetReason())}};
}

void StatusReport::PrintJsonError(const std::string& message) {
    const QJsonObject document{{"status", ToJson(Status(StatusCode::Error, message))}};
    const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::cout.write(json.constData(), json.size());
}
