#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>

namespace {

struct ProgramRun {
    int m_exit_code = -1;
    QByteArray m_out;
    QByteArray m_err;
};

// Runs the quillmar program with its plug-ins taken from `plugin_path` only.
ProgramRun RunQuillmar(const QStringList& arguments, const QString& plugin_path) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLMAR_PLUGIN_PATH", plugin_path);
    process.setProcessEnvironment(environment);
    process.start(QM_QUILLMAR_PROGRAM, arguments);
    ProgramRun run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "quillmar did not finish: " << process.errorString().toStdString();
        return run;
    }
    run.m_exit_code = process.exitCode();
    run.m_out = process.readAllStandardOutput();
    run.m_err = process.readAllStandardError();
    return run;
}

QString GoodFolder() {
    return QString::fromStdString(std::filesystem::path(QM_TEST_PLUGIN_GOOD).parent_path());
}

QJsonObject FindType(const QJsonArray& types, const QString& type) {
    QJsonObject found;
    int count = 0;
    for (const QJsonValue& value : types) {
        if (value.toObject()["type"].toString() == type) {
            found = value.toObject();
            ++count;
        }
    }
    EXPECT_LE(count, 1) << type.toStdString() << " is listed more than once";
    return found;
}

TEST(QuillmarNodes, JsonListsStandardAndPluginTypesWithTheirSource) {
    const ProgramRun run = RunQuillmar({"nodes", "--json"}, GoodFolder());
    ASSERT_EQ(run.m_exit_code, 0) << run.m_err.toStdString();
    QJsonParseError parse_error;
    const QJsonDocument document = QJsonDocument::fromJson(run.m_out, &parse_error);
    ASSERT_EQ(parse_error.error, QJsonParseError::NoError) << run.m_out.toStdString();
    const QJsonObject root = document.object();
    const QString good_path = QM_TEST_PLUGIN_GOOD;

    const QJsonArray types = root["node_types"].toArray();
    const QJsonObject number = FindType(types, "10,2,0");
    EXPECT_EQ(number["name"].toString(), "Number");
    EXPECT_NE(number["source"].toString(), good_path);
    EXPECT_FALSE(number["source"].toString().isEmpty());

    const QJsonObject good = FindType(types, "10,90,1");
    EXPECT_EQ(good["name"].toString(), "Good Type");
    EXPECT_EQ(good["category"].toString(), "Test");
    EXPECT_EQ(good["display_mode"].toString(), "mask");
    EXPECT_EQ(good["icon"].toString(), ":/Test/Good.png");
    EXPECT_EQ(good["small_icon"].toString(), ":/Test/Good12.png");
    EXPECT_EQ(good["published"], QJsonValue(true));
    EXPECT_EQ(good["source"].toString(), good_path);
    // Standard types come first, in registration order.
    EXPECT_EQ(types.last().toObject()["type"].toString(), "10,90,1");

    EXPECT_EQ(root["plugins"].toArray(), QJsonArray{good_path});
    const QJsonArray errors = root["errors"].toArray();
    ASSERT_EQ(errors.size(), 1);
    const QString error = errors[0].toString();
    EXPECT_TRUE(error.startsWith(good_path) && error.contains("10,2,0")) << error.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.m_err).contains(error)) << run.m_err.toStdString();
}

TEST(QuillmarNodes, TextHasOneAlignedLinePerType) {
    const ProgramRun json_run = RunQuillmar({"nodes", "--json"}, GoodFolder());
    const QJsonArray types =
        QJsonDocument::fromJson(json_run.m_out).object()["node_types"].toArray();
    const ProgramRun run = RunQuillmar({"nodes"}, GoodFolder());
    ASSERT_EQ(run.m_exit_code, 0) << run.m_err.toStdString();
    const QStringList lines = QString::fromUtf8(run.m_out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), types.size());
    ASSERT_FALSE(lines.isEmpty());

    // The source is the last column: it starts at the same place on every line.
    qsizetype source_column = -1;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QJsonObject type = types[index].toObject();
        const QString& line = lines[index];
        EXPECT_TRUE(line.startsWith(type["type"].toString() + " ")) << line.toStdString();
        EXPECT_TRUE(line.contains(type["name"].toString())) << line.toStdString();
        const QString source = type["source"].toString();
        ASSERT_TRUE(line.endsWith(source)) << line.toStdString();
        if (source_column < 0) {
            source_column = line.size() - source.size();
        }
        EXPECT_EQ(line.size() - source.size(), source_column) << line.toStdString();
    }
}

TEST(QuillmarNodes, BrokenPluginIsReportedButTheListStillSucceeds) {
    const QString not_elf = QM_TEST_PLUGIN_NOT_ELF;
    const QString folder =
        QString::fromStdString(std::filesystem::path(QM_TEST_PLUGIN_NOT_ELF).parent_path());
    const ProgramRun run = RunQuillmar({"nodes", "--json"}, folder);
    ASSERT_EQ(run.m_exit_code, 0) << run.m_err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(run.m_out).object();
    EXPECT_FALSE(FindType(root["node_types"].toArray(), "10,2,0").isEmpty());
    EXPECT_TRUE(root["plugins"].toArray().isEmpty());
    const QJsonArray errors = root["errors"].toArray();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].toString().startsWith(not_elf + ": "))
        << errors[0].toString().toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.m_err).contains(not_elf));
}

TEST(QuillmarNodes, WrongCommandLinesExitWithTwoAndHelpWithZero) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"nodes", "--bogus"}, QStringList{"nodes", "extra"},
          QStringList{"frobnicate"}}) {
        const ProgramRun run = RunQuillmar(arguments, GoodFolder());
        EXPECT_EQ(run.m_exit_code, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.m_err.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.m_out.isEmpty()) << arguments.join(' ').toStdString();
    }
    const ProgramRun help = RunQuillmar({"nodes", "--help"}, GoodFolder());
    EXPECT_EQ(help.m_exit_code, 0);
    EXPECT_TRUE(help.m_out.contains("--json")) << help.m_out.toStdString();
    const ProgramRun program_help = RunQuillmar({"--help"}, GoodFolder());
    EXPECT_EQ(program_help.m_exit_code, 0);
    EXPECT_TRUE(program_help.m_out.contains("nodes")) << program_help.m_out.toStdString();
}

}  // namespace
