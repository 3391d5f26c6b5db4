#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "host/Image.h"
#include "host/ImageFile.h"
#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using RunCommandTest = QuillmarTest;

constexpr const char* kSumProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x" /><Node id="2" type="10,1,26" name="y" />
    <Node id="1" type="10,2,1" name="add"><Value name="b" type="NUMBER" value="0.5" /></Node>
    <Connection from="0" outplug="number" to="1" inplug="a" />
    <Connection from="1" outplug="number" to="2" inplug="number" /></QuillmarProject>)";

// Each input passed straight to an output, a material and curves made inside, and two divisions
// by zero whose states reach every output.
constexpr const char* kEveryTypeProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,32" name="p" /><Node id="1" type="10,1,32" name="p_out" />
    <Node id="2" type="10,1,37" name="f" /><Node id="3" type="10,1,37" name="f_out" />
    <Node id="4" type="10,1,42" name="c" /><Node id="5" type="10,1,42" name="c_out" />
    <Node id="6" type="10,1,21" name="b" /><Node id="7" type="10,1,21" name="b_out" />
    <Node id="8" type="10,1,53" name="i" /><Node id="9" type="10,1,53" name="../i_out" />
    <Node id="10" type="10,3,0"><Value name="width" type="NUMBER" value="3" />
        <Value name="height" type="NUMBER" value="2" />
        <Value name="color" type="RGBO" value="0,0,1,1" /></Node>
    <Node id="11" type="10,4,0" /><Node id="12" type="10,1,69" name="m" />
    <Node id="13" type="10,5,0"><Value name="end" type="POINT" value="3,6" /></Node>
    <Node id="14" type="10,1,64" />
    <Node id="15" type="10,2,1"><Value name="operation" type="CHOICE" value="divide" /></Node>
    <Node id="16" type="10,1,26" name="ratio" /> <Node id="18" type="10,2,1" name="inner">
        <Value name="operation" type="CHOICE" value="divide" /></Node>
    <Node id="17" type="10,1,53" name="m_roughness" />
    <Connection from="0" outplug="point" to="1" inplug="point" />
    <Connection from="2" outplug="frame" to="3" inplug="frame" />
    <Connection from="4" outplug="color" to="5" inplug="color" />
    <Connection from="6" outplug="bool" to="7" inplug="bool" />
    <Connection from="8" outplug="image" to="9" inplug="image" />
    <Connection from="10" outplug="image" to="11" inplug="roughness" />
    <Connection from="11" outplug="material" to="12" inplug="material" />
    <Connection from="13" outplug="curves" to="14" inplug="curves" />
    <Connection from="15" outplug="number" to="16" inplug="number" />
    <Connection from="18" outplug="number" to="15" inplug="a" />
    <Connection from="10" outplug="image" to="17" inplug="image" />
</QuillmarProject>
)";

TEST_F(RunCommandTest, GivesEveryValueTypeWritesImageFilesInsideTheFolderAndReportsStates) {
    const QString project = PackProject("every", kEveryTypeProject);
    RefPtr<Image> picture(new Image(2, 5, 1));
    picture->Fill(1.0f, 0.5f, 0.0f, 1.0f);
    std::string error;
    ASSERT_TRUE(ImageFile::Write(*picture, (m_folder / "in.png").string(), error)) << error;

    const ProgramRun run =
        Run({"run", project, "--json", "-o", "out", "--input", "p=1.5,-2", "--input", "f=1,2,3,4",
             "--input", "c=0.5,0.25,0,1", "--input", "b=true", "--input", "i=in.png"});
    EXPECT_EQ(run.m_exit_code, 1) << run.Describe();
    const QJsonObject root = ParseJson(run);
    const QJsonArray expected_outputs = Json(R"([
        {"name": "p_out", "type": "point", "value": [1.5, -2]},
        {"name": "f_out", "type": "frame", "value": [1, 2, 3, 4]},
        {"name": "c_out", "type": "color", "value": [0.5, 0.25, 0, 1]},
        {"name": "b_out", "type": "boolean", "value": true},
        {"name": "../i_out", "type": "image",
         "value": {"file": "out/.._i_out.png", "width": 2, "height": 5}},
        {"name": "m", "type": "material", "value": {"roughness": "out/m_roughness.png"}},
        {"name": "curves", "type": "curves", "value": [[[0, 0], [1, 2], [2, 4], [3, 6]]]},
        {"name": "ratio", "type": "number", "value": 0},
        {"name": "m_roughness", "type": "image",
         "value": {"file": "out/m_roughness_2.png", "width": 3, "height": 2}}])")
                                            .toArray();
    EXPECT_EQ(root["outputs"], expected_outputs) << run.Describe();
    EXPECT_EQ(root["status"].toObject()["code"], 0);

    // Both divisions by zero are reported on every output, in output and graph order.
    const QJsonArray states = root["states"].toArray();
    ASSERT_EQ(states.size(), 2 * expected_outputs.size()) << run.Describe();
    for (qsizetype index = 0; index < states.size(); ++index) {
        const QString message = states[index]["message"].toString();
        EXPECT_TRUE(states[index]["output"] == expected_outputs[index / 2]["name"] &&
                    states[index]["state"] == 1 && message.endsWith("Division by zero.") &&
                    message.contains(":inner:") == (index % 2 == 1))
            << message.toStdString();
    }

    // Nothing escaped the output folder.
    EXPECT_FALSE(fs::exists(m_folder / "i_out.png"));

    const ProgramRun again = Run({"run", project, "-o", ".", "--format", "tif"});
    EXPECT_EQ(again.m_exit_code, 1) << again.Describe();
    EXPECT_TRUE(again.m_out.contains("m (material): roughness m_roughness.tif\n") &&
                again.m_out.contains("ratio (number): 0\n"))
        << again.Describe();
    EXPECT_TRUE(again.m_err.contains("output ratio: state 1: ")) << again.Describe();
}

// A command line that does not fit exits with 2, says why (in JSON too when asked) and writes
// nothing; check exits with 1 only for --strict.
TEST_F(RunCommandTest, CommandLinesThatDoNotFitSayWhyAndWriteNothing) {
    const QString every = PackProject("every", kEveryTypeProject);
    const QString sum = PackProject("sum", kSumProject);
    const QString nan = PackProject("nan", QString(kSumProject).replace("0.5", "nan"));
    const QString nested = PackProject("nested", R"(<QuillmarProject major="1" minor="0">
        <Node id="0" type="10,1,5" name="in"><Value name="path" type="STRING" value="gone.qmr"/></Node>
        <Node id="1" type="10,1,26" name="out" />
        <Connection from="0" outplug="result" to="1" inplug="number" /></QuillmarProject>)");
    WriteText(m_folder / "not_an_image.png", "text");
    WriteText(m_folder / "broken.qmr", "not a project file");
    WriteText(m_folder / "no_project/sub/Project.xml", "<QuillmarProject />");
    WriteText(m_folder / "linked" / "Project.xml", kSumProject);
    WriteText(m_folder / "secret.txt", "private");
    fs::create_symlink(m_folder / "secret.txt", m_folder / "linked" / "shared.txt");
    const std::vector<std::string> before = Entries(m_folder);
    const struct {
        QStringList arguments;
        int exit_code;
        const char* err;
        const char* out = "";  // Empty: nothing on standard output.
    } cases[] = {
        {{"run", every, "--set", "iterations=many"}, 2, "iterations takes a number from 1 to 1"},
        {{"run", every, "--set", "iterations"}, 2, "expected NAME=VALUE"},
        {{"run", every, "--set", "path=other.qmr"}, 2, "PROJECT"},
        {{"run", every, "--set", "colour=1"}, 2, "colour: no such attribute; the attributes are"},
        {{"run", every, "--set", "iterations=2", "--set", "iterations=3"}, 2, "given twice"},
        {{"run", every, "--input", "p=1"}, 2, "p takes a point x,y"},
        {{"run", every, "--input", "f=1,2,3,inf"}, 2, "f takes a frame x,y,width,height"},
        {{"run", every, "--input", "c=1,1,1"}, 2, "c takes a colour r,g,b,o"},
        {{"run", every, "--input", "b=yes"}, 2, "b takes true or false"},
        {{"run", every, "--input", "i=missing.png"}, 2, "cannot read the image missing.png"},
        {{"run", every, "--input", "i=not_an_image.png"}, 2, "cannot read the image not_an_"},
        {{"run", every, "--input", "q=1"}, 2, "no such input; its inputs are p, f, c, b, i"},
        {{"run", sum, "-o", "secret.txt"}, 2, "secret.txt is a file"},
        {{"run", sum, "--set", "iterations=0", "--json"}, 2, "iterations takes", "\"code\": 2"},
        {{"run", "--no-such-option", "--json"}, 2, "", "\"code\": 2"},
        {{"check", sum, "--strict"}, 0, "", "read without problems"},
        {{"check", nan}, 0, "", "unreadable NUMBER text \"nan\""},
        {{"check", nan, "--strict"}, 1, "", "unreadable NUMBER text \"nan\""},
        {{"check", nested}, 2, "project \"gone.qmr\" cannot be read"},
        {{"render", sum, "-o", "out"}, 2, "no Writer node"},
        {{"pack", "no_project", "-o", "out.qmr"}, 2, "Project.xml"},
        {{"pack", "linked", "-o", "out.qmr"}, 2, "shared.txt is a symbolic link"},
        {{"unpack", "broken.qmr", "-o", "out"}, 2, "broken.qmr"},
        {{"graph", sum, "-o", "sum.txt"}, 2, ".svg or .png"},
        {{"graph", sum, "-o", "no/such/folder/sum.svg"}, 2, "Cannot write"},
        {{"graph", sum}, 2, "--output"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.m_exit_code, c.exit_code) << run.Describe();
        EXPECT_TRUE(run.m_err.contains(c.err) &&
                    (*c.out ? run.m_out.contains(c.out) : run.m_out.isEmpty()))
            << run.Describe();
        EXPECT_EQ(Entries(m_folder), before);
    }
}

// Whatever refused the file, the read's message stays the listed one and the reason follows on
// the next line, and under "reason" in JSON.
TEST_F(RunCommandTest, RefusedProjectFilesGiveTheReadsMessageThenTheReason) {
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

// What the examples' info lacks: an unnamed input, booleans, choices, points and strings; a
// private Attributes node keeps its own to the project.
TEST_F(RunCommandTest, InfoListsPlugsWithLoopActionsAndAttributesInOrder) {
    const QString project =
        PackProject("info", R"(<QuillmarProject major="1" minor="0">
        <Node id="0" type="10,1,21" name="flag" /><Node id="1" type="10,1,21" name="same" />
        <Node id="2" type="10,1,26"><Value name="loop_action" type="CHOICE" value="maximum" /></Node>
        <Node id="3" type="10,1,0" name="params" definitions="params.xml">
            <Value name="offset" type="POINT" value="1,-1" />
            <Value name="label" type="STRING" value="a, b" /></Node>
        <Node id="4" type="10,1,0" name="private" definitions="private.xml" />
        <Node id="5" type="10,1,26" name="total" />
        <Connection from="0" outplug="bool" to="1" inplug="bool" />
        <Connection from="2" outplug="number" to="5" inplug="number" /></QuillmarProject>)",
                    {{"params.xml",
                      R"(<QuillmarAttributesNode major="0" minor="0"><Attributes num_attributes="4">
            <Attribute id="0" name="mode" type="CHOICE" choices="fast,slow,exact" />
            <Attribute id="1" name="offset" type="POINT" decimals="1" default="0" min="-5" max="5"
                step="1" /><Attribute id="2" name="label" type="STRING" />
            <Attribute id="3" name="invert" type="BOOLEAN" /></Attributes></QuillmarAttributesNode>)"},
                     {"private.xml", R"(<QuillmarAttributesNode major="0" minor="0"><Attributes
             num_attributes="1"><Attribute id="0" name="hidden" type="BOOLEAN" /></Attributes>
             </QuillmarAttributesNode>)"}});
    const ProgramRun run = Run({"info", project, "--json"});
    EXPECT_EQ(QJsonValue(ParseJson(run)), Json(R"({"inputs": [
        {"name": "flag", "type": "boolean", "loop_action": null},
        {"name": "number", "type": "number", "loop_action": "maximum"}],
      "outputs": [{"name": "same", "type": "boolean", "loop_action": null},
        {"name": "total", "type": "number", "loop_action": "replace"}], "attributes": [
        {"name": "mode", "type": "choice", "value": "fast", "choices": ["fast", "slow", "exact"]},
        {"name": "offset", "type": "point", "value": [1, -1], "minimum": -5, "maximum": 5},
        {"name": "label", "type": "string", "value": "a, b"},
        {"name": "invert", "type": "boolean", "value": false}]})"))
        << run.Describe();
    const ProgramRun text = Run({"info", project});
    EXPECT_TRUE(text.m_out.contains("Inputs:\n  flag (boolean)\n  number (number), loop action "
                                    "maximum\nOutputs:\n") &&
                text.m_out.contains("  mode (choice) = fast, one of fast, slow, exact\n"))
        << text.Describe();
}

// Some milliseconds a run: 100,000 runs take minutes.
constexpr const char* kSlowProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,1" name="noise"><Value name="width" type="NUMBER" value="128" />
        <Value name="height" type="NUMBER" value="128" /></Node>
    <Node id="1" type="10,3,2" name="blur" /> <Node id="2" type="10,1,53" name="image">
        <Value name="loop_action" type="CHOICE" value="average" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
    <Connection from="1" outplug="image" to="2" inplug="image" />
</QuillmarProject>
)";

constexpr const char* kSlowDocument = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,5" name="graph"><Value name="path" type="STRING" value="slow.qmr" />
        <Value name="iterations" type="NUMBER" value="100000" /></Node>
    <Node id="1" type="10,16,0" name="writer">
        <Value name="path" type="STRING" value="picture.png" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
</QuillmarProject>
)";

TEST_F(RunCommandTest, SignalsAndTheTimeoutStopAtOnceLeavingNothingBehind) {
    PackProject("slow", kSlowProject);
    PackProject("document", kSlowDocument);
    const QStringList run = {"run", "slow.qmr", "--set", "iterations=100000", "-o", "out"};
    const struct {
        QStringList arguments;
        int signal_number;  // Sent once the progress line shows runs; 0 for none.
        int exit_code;
        const char* message;
    } cases[] = {
        {run, SIGINT, 130, "stopped by SIGINT"},
        {{"render", "document.qmr", "-o", "out"}, SIGTERM, 143, "stopped by SIGTERM"},
        {run + QStringList{"--timeout", "0.5"}, 0, 124, "stopped after the --timeout of 0.5 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess process;
        Start(process, QStringList(c.arguments) << "--progress", m_folder / "tmp");
        ASSERT_TRUE(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (c.signal_number != 0 && !err.contains(" runs") && process.waitForReadyRead(10000)) {
            err += process.readAllStandardError();
        }
        const auto sent = std::chrono::steady_clock::now();
        if (c.signal_number != 0) {
            ASSERT_TRUE(err.contains(" runs")) << err.toStdString();
            kill(pid_t(process.processId()), c.signal_number);
        }
        ASSERT_TRUE(process.waitForFinished(20000));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        err += process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exit_code) << err.toStdString();
        // The last line says why, after the progress line was cleared.
        EXPECT_TRUE(err.trimmed().split('\n').last().contains(c.message)) << err.toStdString();
        EXPECT_LT(seconds, c.signal_number != 0 ? 2.0 : 5.0);
        EXPECT_EQ(Entries(m_folder / "out"), std::vector<std::string>());
        EXPECT_EQ(Entries(m_folder / "tmp"), std::vector<std::string>());
    }
}

TEST_F(RunCommandTest, TemporaryFoldersOfProcessesThatAreGoneAreRemovedByTheNextRun) {
    PackProject("slow", kSlowProject);
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone), alive = std::to_string(getpid());
    // Only the first is a folder of a process that is gone; the run's own is gone again too.
    const std::vector<std::string> folders = {
        "quillmar-" + dead + "-0b5e", "other-" + dead + "-0b5e", "quillmar-" + dead,
        "quillmar-" + alive + "-0b5e", "quillmar-x" + dead + "-0b5e"};
    for (const std::string& name : folders) {
        WriteText(m_folder / "tmp" / name / "Project.xml", kSlowProject);
    }
    EXPECT_EQ(Run({"info", "slow.qmr"}, m_folder / "tmp").m_exit_code, 0);
    std::vector<std::string> kept(folders.begin() + 1, folders.end());
    std::ranges::sort(kept);
    EXPECT_EQ(Entries(m_folder / "tmp"), kept);
}

}  // namespace
