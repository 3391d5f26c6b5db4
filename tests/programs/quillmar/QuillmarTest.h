#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>

#include "host/ScopedTemporaryDirectory.h"

// Failure messages show JSON values as compact JSON.
inline void PrintTo(const QJsonArray& array, std::ostream* out) {
    *out << QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonObject& object, std::ostream* out) {
    *out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonValue& value, std::ostream* out) {
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

// Runs the built quillmar program in a fresh folder of the test's own, removed at the end. The
// program finds the plug-ins through the QUILLMAR_PLUGIN_PATH that ctest sets.
class QuillmarTest : public ::testing::Test {
public:
    struct ProgramRun {
        int m_exit_code = -1;
        QByteArray m_out;
        QByteArray m_err;

        std::string Describe() const {
            return "exit code " + std::to_string(m_exit_code) + "\nstdout: " + m_out.toStdString() +
                   "\nstderr: " + m_err.toStdString();
        }
    };

    static std::string ReadText(const std::filesystem::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    static void WriteText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_directory.Create(error)) << error;
        m_folder = m_directory.GetPath();
    }

    // Runs quillmar with the test's folder as the working directory.
    ProgramRun Run(const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(m_folder.string()));
        process.start(QM_QUILLMAR_PROGRAM, arguments);
        const bool finished =
            process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
        EXPECT_TRUE(finished) << "quillmar did not finish: " << process.errorString().toStdString();
        return {finished ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // Writes `xml` as Project.xml of folder `name`, and the side files, and packs the folder into
    // `name`.qmr; returns the project file's name.
    QString PackProject(const std::string& name, const std::string& xml,
                        const std::map<std::string, std::string>& side_files = {}) const {
        WriteText(m_folder / name / "Project.xml", xml);
        for (const auto& [file, text] : side_files) {
            WriteText(m_folder / name / file, text);
        }
        const ProgramRun run = Run(
            {"pack", QString::fromStdString(name), "-o", QString::fromStdString(name + ".qmr")});
        EXPECT_EQ(run.m_exit_code, 0) << run.Describe();
        return QString::fromStdString(name + ".qmr");
    }

    static QJsonObject ParseJson(const ProgramRun& run) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.m_out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.Describe();
        return document.object();
    }

    ScopedTemporaryDirectory m_directory;
    std::filesystem::path m_folder;
};
