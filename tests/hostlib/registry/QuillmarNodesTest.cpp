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

namespace {

struct ProgramRun {
    int m_exit_code = -1;
    QByteArray m_out;
    QByteArray m_err;
};

// Runs quillmar with the good test plug-in's folder as its only plug-in folder.
ProgramRun RunQuillmar(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        "QUILLMAR_PLUGIN_PATH",
        QString::fromStdString(std::filesystem::path(QM_TEST_PLUGIN_GOOD).parent_path()));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QM_QUILLMAR_PROGRAM, arguments);
    const bool finished =
        process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
    EXPECT_TRUE(finished) << "quillmar did not finish: " << process.errorString().toStdString();
    return {finished ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QJsonObject FindType(const QJsonArray& types, const QString& type) {
    QJsonObject found;
    for (const QJsonValue& value : types) {
        if (value.toObject()["type"].toString() == type) {
            EXPECT_TRUE(found.isEmpty()) << type.toStdString() << " is listed more than once";
            found = value.toObject();
        }
    }
    return found;
}

TEST(QuillmarNodes, ListsStandardAndPluginTypesWithTheirSourceAndLoadErrorsAsJsonAndText) {
    const ProgramRun run = RunQuillmar({"nodes", "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.m_err.toStdString();
    QJsonParseError parse_error;
    const QJsonObject root = QJsonDocument::fromJson(run.m_out, &parse_error).object();
    ASSERT_EQ(parse_error.error, QJsonParseError::NoError) << run.m_out.toStdString();
    const QString good_path = QM_TEST_PLUGIN_GOOD;

    const QJsonArray types = root["node_types"].toArray();
    ASSERT_FALSE(types.isEmpty());
    EXPECT_EQ(FindType(types, "10,2,0")["name"].toString(), "Number");
    // Every standard type's factory makes nodes of that type.
    int standard = 0;
    for (const QJsonValue& type : types) {
        if (type["source"].toString() == "libquillmar_host.so") {
            ++standard;
            EXPECT_TRUE(type["creates_nodes"].toBool() && !type["category"].toString().isEmpty())
                << QJsonDocument(type.toObject()).toJson().toStdString();
        }
    }
    EXPECT_GT(standard, 0);
    const QJsonObject good = FindType(types, "10,90,0");
    EXPECT_EQ(QJsonDocument(good).toJson(QJsonDocument::Compact).toStdString(),
              R"({"attributes":[],"category":"Test","creates_nodes":true,"display_mode":"mask",)"
              R"("icon":":/Test/Node.png","name":"good type","plugs":[],"published":true,)"
              R"("small_icon":":/Test/Node12.png","source":")" +
                  good_path.toStdString() + R"(","type":"10,90,0"})");
    const QJsonObject hidden = FindType(types, "10,90,1");
    EXPECT_TRUE(hidden["name"] == "good hidden" && hidden["published"] == false &&
                hidden["creates_nodes"] == true && hidden["category"] == "")
        << QJsonDocument(hidden).toJson().toStdString();
    EXPECT_EQ(types.last().toObject(), hidden)
        << "standard types come first, in registration order, unpublished ones last";

    EXPECT_EQ(root["plugins"].toArray(), QJsonArray{good_path});
    const QJsonArray errors = root["errors"].toArray();
    ASSERT_EQ(errors.size(), 2);
    for (const QJsonValue& value : errors) {
        const QString error = value.toString();
        EXPECT_TRUE(error.startsWith(good_path + ": ")) << error.toStdString();
        EXPECT_TRUE(QString::fromUtf8(run.m_err).contains(error)) << run.m_err.toStdString();
    }
    EXPECT_TRUE(errors[0].toString().contains("10,2,0") &&
                errors[0].toString().contains("already registered") &&
                errors[1].toString().contains("10,90,2") &&
                errors[1].toString().contains("no creation function"))
        << QJsonDocument(errors).toJson().toStdString();

    // The text form has one line per type, in the same order, the source in an aligned last column.
    const ProgramRun text_run = RunQuillmar({"nodes"});
    ASSERT_EQ(text_run.m_exit_code, 0) << text_run.m_err.toStdString();
    const QStringList lines = QString::fromUtf8(text_run.m_out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), types.size());
    const qsizetype source_column =
        lines[0].size() - types[0].toObject()["source"].toString().size();
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QJsonObject type = types[index].toObject();
        const QString& line = lines[index];
        const QString source = type["source"].toString();
        EXPECT_TRUE(line.startsWith(type["type"].toString() + " ") &&
                    line.contains(type["name"].toString()) && line.endsWith(source) &&
                    line.size() - source.size() == source_column)
            << line.toStdString();
    }
}

}  // namespace
