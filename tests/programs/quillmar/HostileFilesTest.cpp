#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

class HostileFilesTest : public QuillmarTest {
protected:
    // The lines of standard error.
    static std::vector<std::string> Lines(const QByteArray& text) {
        std::vector<std::string> lines;
        for (const QByteArray& line : text.split('\n')) {
            if (!line.isEmpty()) {
                lines.push_back(line.toStdString());
            }
        }
        return lines;
    }
};

constexpr const char* kWriters = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,0">
        <Value name="width" type="NUMBER" value="2" />
        <Value name="height" type="NUMBER" value="2" />
    </Node>
    <Node id="1" type="10,16,0" name="%1"><Value name="path" type="STRING" value="%2" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
</QuillmarProject>
)";

constexpr const char* kNumberOutput = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,2,0" name="n"><Value name="value" type="NUMBER" value="%1" /></Node>
    <Node id="1" type="10,1,26" name="out" />
    <Connection from="0" outplug="number" to="1" inplug="number" />
</QuillmarProject>
)";

// A document's Writer paths choose where render writes: only inside the output folder, unless
// the user allows otherwise.
TEST_F(HostileFilesTest, RenderWritesOnlyInsideItsFolderUnlessAllowed) {
    fs::create_directories(m_folder / "out");
    fs::create_directory_symlink(m_folder, m_folder / "out" / "link");
    struct Case {
        std::string m_path;
        QStringList m_options;
        int m_exit_code;
        std::string m_message;
        fs::path m_written;
    };
    const std::string absolute = (m_folder / "absolute.png").string();
    for (const Case& c : {
             Case{"../escaped.png", {}, 2, "outside the output folder", {}},
             Case{absolute, {}, 2, "is absolute", {}},
             Case{"link/linked.png", {}, 2, "outside the output folder", {}},
             Case{"sub/../inside.png", {}, 0, "", m_folder / "out" / "inside.png"},
             Case{"../allowed.png", {"--allow-outside"}, 0, "", m_folder / "allowed.png"},
         }) {
        SCOPED_TRACE(c.m_path);
        const std::string xml =
            QString(kWriters).arg("writer", QString::fromStdString(c.m_path)).toStdString();
        const QString document = PackProject("document", xml);
        const ProgramRun run = Run(QStringList{"render", document, "-o", "out"} + c.m_options);
        EXPECT_EQ(run.m_exit_code, c.m_exit_code) << run.Describe();
        EXPECT_TRUE(c.m_message.empty() ? run.m_err.isEmpty()
                                        : run.m_err.contains("Writer \"writer\": path") &&
                                              run.m_err.contains(c.m_message.c_str()))
            << run.Describe();
        EXPECT_EQ(c.m_written.empty() ? 0 : 1, fs::exists(c.m_written) ? 1 : 0) << run.Describe();
        for (const char* outside : {"escaped.png", "absolute.png", "linked.png"}) {
            EXPECT_FALSE(fs::exists(m_folder / outside)) << outside;
        }
    }
}

// Whatever refused the file, the read's message stays the listed one and the reason follows on
// the next line, and under "reason" in JSON.
TEST_F(HostileFilesTest, RefusedProjectFilesGiveTheReadsMessageThenTheReason) {
    fs::create_directory(m_folder / "folder.qmr");
    WriteText(m_folder / "empty.qmr", "");
    WriteText(m_folder / "text.qmr", "not an archive");
    WriteText(m_folder / "bad_utf8" / "Project.xml",
              "<QuillmarProject major=\"1\" minor=\"0\"><Node id=\"0\" type=\"10,2,0\" "
              "name=\"a\xff\"/></QuillmarProject>");
    ASSERT_EQ(Run({"pack", "bad_utf8", "-o", "bad_utf8.qmr"}).m_exit_code, 0);
    const std::vector<std::pair<QString, std::string>> cases = {
        {"missing.qmr", "missing.qmr"},
        {"folder.qmr", "cannot open"},
        {"empty.qmr", "cannot open"},
        {"text.qmr", "cannot open"},
        {"bad_utf8.qmr", "Project.xml: malformed UTF-8"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file.toStdString());
        for (const char* command : {"run", "info", "check"}) {
            const ProgramRun run = Run({command, file});
            const std::vector<std::string> lines = Lines(run.m_err);
            ASSERT_EQ(lines.size(), 2u) << run.Describe();
            EXPECT_EQ(run.m_exit_code, 2) << run.Describe();
            EXPECT_EQ(lines[0], std::string("quillmar ") + command + ": cannot read " +
                                    file.toStdString() + ": Failed to load XML project.");
            EXPECT_NE(lines[1].find(reason), std::string::npos) << lines[1];
        }
        const QJsonObject status = ParseJson(Run({"run", file, "--json"}))["status"].toObject();
        EXPECT_EQ(status["message"].toString(), "Failed to load XML project.");
        EXPECT_TRUE(status["reason"].toString().contains(QString::fromStdString(reason)));
    }
}

// What the runner says about projects it can read, and about command lines that do not fit.
TEST_F(HostileFilesTest, MessagesNameWhatWasSkippedAndCommandLineErrorsFollowJson) {
    const QString clean = PackProject("clean", QString(kNumberOutput).arg("2").toStdString());
    const QString nan = PackProject("nan", QString(kNumberOutput).arg("nan").toStdString());
    const QString nested = PackProject("nested", R"(<QuillmarProject major="1" minor="0">
        <Node id="0" type="10,1,5" name="inner"><Value name="path" type="STRING" value="gone.qmr"/></Node>
        <Node id="1" type="10,1,26" name="out" />
        <Connection from="0" outplug="result" to="1" inplug="number" />
    </QuillmarProject>)");
    WriteText(m_folder / "a_file", "");
    struct Case {
        QStringList m_arguments;
        int m_exit_code;
        const char* m_stdout;
        const char* m_stderr;
    };
    for (const Case& c : {
             Case{{"check", clean, "--strict"}, 0, "read without problems", ""},
             Case{{"check", nan}, 0, "unreadable NUMBER text \"nan\"", ""},
             Case{{"check", nan, "--strict"}, 1, "unreadable NUMBER text \"nan\"", ""},
             Case{{"check", nested}, 2, "", "project \"gone.qmr\" cannot be read"},
             Case{{"check", nested}, 2, "", "connection from node 0 \"result\""},
             Case{{"run", clean, "-o", "a_file"}, 2, "", "a_file is a file"},
             Case{{"run", clean, "--set", "iterations=0", "--json"},
                  2,
                  "\"code\": 2",
                  "iterations takes a number"},
             Case{{"run", "--no-such-option", "--json"}, 2, "\"code\": 2", ""},
             Case{{"info", "missing.qmr", "--json"}, 2, "\"reason\": \"cannot open", ""},
         }) {
        const ProgramRun run = Run(c.m_arguments);
        EXPECT_TRUE(run.m_exit_code == c.m_exit_code && run.m_out.contains(c.m_stdout) &&
                    run.m_err.contains(c.m_stderr))
            << c.m_arguments.join(' ').toStdString() << "\n"
            << run.Describe();
    }
}

// Enough to write a Math node by hand: its plugs in order with directions, and its attributes.
TEST_F(HostileFilesTest, NodesJsonDescribesPlugsAndAttributes) {
    const ProgramRun run = Run({"nodes", "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    QJsonObject math;
    for (const QJsonValue& type : ParseJson(run)["node_types"].toArray()) {
        if (type["type"].toString() == "10,2,1") {
            math = type.toObject();
        }
    }
    QStringList plugs;
    for (const QJsonValue& plug : math["plugs"].toArray()) {
        plugs << plug["direction"].toString() + " " + plug["name"].toString() + " " +
                     plug["type"].toString();
    }
    EXPECT_EQ(plugs, (QStringList{"in operation string", "in a number", "in b number",
                                  "out number number"}));
    const QJsonArray attributes = math["attributes"].toArray();
    ASSERT_EQ(attributes.size(), 3);
    EXPECT_EQ(attributes[0]["default"].toString(), "add");
    EXPECT_TRUE(attributes[0]["choices"].toArray().contains("power"));
    EXPECT_EQ(attributes[1]["type"].toString(), "number");
}

// Links under a folder are refused rather than packed as the files they name.
TEST_F(HostileFilesTest, PackRefusesLinks) {
    WriteText(m_folder / "linked" / "Project.xml", QString(kNumberOutput).arg("1").toStdString());
    WriteText(m_folder / "secret.txt", "private");
    fs::create_symlink(m_folder / "secret.txt", m_folder / "linked" / "shared.txt");
    const ProgramRun run = Run({"pack", "linked", "-o", "linked.qmr"});
    EXPECT_TRUE(run.m_exit_code == 2 && run.m_err.contains("shared.txt is a symbolic link"))
        << run.Describe();
    EXPECT_FALSE(fs::exists(m_folder / "linked.qmr"));
}

}  // namespace
