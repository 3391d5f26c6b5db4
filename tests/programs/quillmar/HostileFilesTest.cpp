#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using HostileFilesTest = QuillmarTest;

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
    const std::pair<QString, const char*> cases[] = {
        {"missing.qmr", "missing.qmr"},
        {"folder.qmr", "cannot open"},
        {"empty.qmr", "cannot open"},
        {"text.qmr", "cannot open"},
        {"bad_utf8.qmr", "Project.xml: malformed UTF-8"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file.toStdString());
        const ProgramRun json = Run({"run", file, "--json"});
        EXPECT_EQ(json.m_exit_code, 2) << json.Describe();
        const QJsonObject status = ParseJson(json)["status"].toObject();
        EXPECT_TRUE(status["code"] == 2 && status["message"] == "Failed to load XML project.")
            << json.Describe();
        EXPECT_TRUE(status["reason"].toString().contains(reason)) << json.Describe();
        for (const char* command : {"run", "info", "check"}) {
            const ProgramRun run = Run({command, file});
            const std::string prefix = std::string("quillmar ") + command + ": ";
            EXPECT_EQ(run.m_exit_code, 2) << run.Describe();
            EXPECT_EQ(run.m_err.toStdString(), prefix + "cannot read " + file.toStdString() +
                                                   ": Failed to load XML project.\n" + prefix +
                                                   status["reason"].toString().toStdString() +
                                                   "\n");
        }
    }
}

}  // namespace
