#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/hostlib/project/SandboxTest.h"

// Failure messages show JSON values as compact JSON.
inline void PrintTo(const QJsonValue& value, std::ostream* out) {
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

// An expected JSON value, written as JSON text.
inline QJsonValue Json(const char* text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + text + "]", &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.array().at(0);
}

// Runs the built quillmar program in the test's own folder. The program finds the plug-ins
// through the QUILLMAR_PLUGIN_PATH that ctest sets.
class QuillmarTest : public SandboxTest {
public:
    struct ProgramRun {
        int m_exit_code = -1;
        QByteArray m_out, m_err;

        std::string Describe() const {
            return "exit code " + std::to_string(m_exit_code) + "\nstdout: " + m_out.toStdString() +
                   "\nstderr: " + m_err.toStdString();
        }
    };

    static void WriteText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // The names in `folder`, sorted; none for a folder that does not exist.
    static std::vector<std::string> Entries(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        std::error_code code;
        for (const auto& entry : std::filesystem::directory_iterator(folder, code)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

protected:
    // Starts quillmar in the test's folder; given `temporary`, its temporary folders go there.
    void Start(QProcess& process, const QStringList& arguments,
               const std::filesystem::path& temporary = {}) const {
        if (!temporary.empty()) {
            std::filesystem::create_directories(temporary);
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("TMPDIR", QString::fromStdString(temporary.string()));
            process.setProcessEnvironment(environment);
        }
        process.setWorkingDirectory(QString::fromStdString(m_folder.string()));
        process.start(QM_QUILLMAR_PROGRAM, arguments);
    }

    ProgramRun Run(const QStringList& arguments,
                   const std::filesystem::path& temporary = {}) const {
        QProcess process;
        Start(process, arguments, temporary);
        const bool finished =
            process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
        return {finished ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // Writes `xml` as Project.xml of folder `name`, and the side files, and packs the folder into
    // `name`.qmr; returns the project file's name.
    QString PackProject(const std::string& name, const QString& xml,
                        std::map<std::string, std::string> side_files = {}) const {
        side_files["Project.xml"] = xml.toStdString();
        for (const auto& [file, text] : side_files) {
            WriteText(m_folder / name / file, text);
        }
        const QString packed = QString::fromStdString(name + ".qmr");
        const ProgramRun run = Run({"pack", QString::fromStdString(name), "-o", packed});
        EXPECT_EQ(run.m_exit_code, 0) << run.Describe();
        return packed;
    }

    static QJsonObject ParseJson(const ProgramRun& run) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.m_out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.Describe();
        return document.object();
    }
};
