#include <QJsonArray>
#include <QJsonObject>

#include <filesystem>
#include <string>

#include "host/Image.h"
#include "host/ImageFile.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using RunCommandTest = QuillmarTest;

// x + 0.5 into y (summed over the iterations) and into mean (averaged).
constexpr const char* kSumProject = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x" />
    <Node id="1" type="10,2,1" name="add">
        <Value name="b" type="NUMBER" value="0.5" />
    </Node>
    <Node id="2" type="10,1,26" name="y">
        <Value name="loop_action" type="CHOICE" value="summation" />
    </Node>
    <Node id="3" type="10,1,26" name="mean">
        <Value name="loop_action" type="CHOICE" value="average" />
    </Node>
    <Connection from="0" outplug="number" to="1" inplug="a" />
    <Connection from="1" outplug="number" to="2" inplug="number" />
    <Connection from="1" outplug="number" to="3" inplug="number" />
</QuillmarProject>
)";

TEST_F(RunCommandTest, RunsTheProjectWithSettingsAndInputsAsJsonAndText) {
    const QString project = PackProject("sum", kSumProject);
    const ProgramRun run =
        Run({"run", project, "--set", "iterations=3", "--input", "x=2", "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    EXPECT_EQ(ParseJson(run),
              (QJsonObject{
                  {"status", QJsonObject{{"code", 0}, {"message", ""}, {"reason", ""}}},
                  {"outputs",
                   QJsonArray{QJsonObject{{"name", "y"}, {"type", "number"}, {"value", 7.5}},
                              QJsonObject{{"name", "mean"}, {"type", "number"}, {"value", 2.5}}}},
                  {"states", QJsonArray()},
              }))
        << run.Describe();

    const ProgramRun text = Run({"run", project, "--input", "x=0.25", "--set", "iterations=2"});
    ASSERT_EQ(text.m_exit_code, 0) << text.Describe();
    EXPECT_EQ(text.m_out.toStdString(), "y (number): 1.5\nmean (number): 0.75\n");
}

// Each input passed straight to an output, a material and curves made inside, and two divisions
// by zero whose states reach every output.
constexpr const char* kEveryTypeProject = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,32" name="p" />
    <Node id="1" type="10,1,32" name="p_out" />
    <Node id="2" type="10,1,37" name="f" />
    <Node id="3" type="10,1,37" name="f_out" />
    <Node id="4" type="10,1,42" name="c" />
    <Node id="5" type="10,1,42" name="c_out" />
    <Node id="6" type="10,1,21" name="b" />
    <Node id="7" type="10,1,21" name="b_out" />
    <Node id="8" type="10,1,53" name="i" />
    <Node id="9" type="10,1,53" name="../i_out" />
    <Node id="10" type="10,3,0">
        <Value name="width" type="NUMBER" value="3" />
        <Value name="height" type="NUMBER" value="2" />
        <Value name="color" type="RGBO" value="0,0,1,1" />
    </Node>
    <Node id="11" type="10,4,0" />
    <Node id="12" type="10,1,69" name="m" />
    <Node id="13" type="10,5,0">
        <Value name="end" type="POINT" value="3,6" />
    </Node>
    <Node id="14" type="10,1,64" />
    <Node id="15" type="10,2,1">
        <Value name="operation" type="CHOICE" value="divide" />
    </Node>
    <Node id="16" type="10,1,26" name="ratio" />
    <Node id="18" type="10,2,1" name="inner">
        <Value name="operation" type="CHOICE" value="divide" />
    </Node>
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
    // One curve of four points. Appended, since a braced list of one QJsonArray is a copy for
    // some compilers and a one-element list for others.
    QJsonArray curves;
    curves.append(
        QJsonArray{QJsonArray{0, 0}, QJsonArray{1, 2}, QJsonArray{2, 4}, QJsonArray{3, 6}});
    const QJsonArray expected_outputs = {
        QJsonObject{{"name", "p_out"}, {"type", "point"}, {"value", QJsonArray{1.5, -2}}},
        QJsonObject{{"name", "f_out"}, {"type", "frame"}, {"value", QJsonArray{1, 2, 3, 4}}},
        QJsonObject{{"name", "c_out"}, {"type", "color"}, {"value", QJsonArray{0.5, 0.25, 0, 1}}},
        QJsonObject{{"name", "b_out"}, {"type", "boolean"}, {"value", true}},
        QJsonObject{
            {"name", "../i_out"},
            {"type", "image"},
            {"value", QJsonObject{{"file", "out/.._i_out.png"}, {"width", 2}, {"height", 5}}}},
        QJsonObject{{"name", "m"},
                    {"type", "material"},
                    {"value", QJsonObject{{"roughness", "out/m_roughness.png"}}}},
        QJsonObject{{"name", "curves"}, {"type", "curves"}, {"value", curves}},
        QJsonObject{{"name", "ratio"}, {"type", "number"}, {"value", 0}},
        QJsonObject{
            {"name", "m_roughness"},
            {"type", "image"},
            {"value", QJsonObject{{"file", "out/m_roughness_2.png"}, {"width", 3}, {"height", 2}}}},
    };
    EXPECT_EQ(root["outputs"].toArray(), expected_outputs) << run.Describe();
    EXPECT_EQ(root["status"].toObject()["code"], 0);

    // Both divisions by zero are reported on every output, in output and graph order.
    const QJsonArray states = root["states"].toArray();
    ASSERT_EQ(states.size(), 2 * expected_outputs.size()) << run.Describe();
    for (qsizetype index = 0; index < states.size(); ++index) {
        const QJsonObject entry = states[index].toObject();
        const QString message = entry["message"].toString();
        EXPECT_EQ(entry["output"], expected_outputs[index / 2].toObject()["name"]);
        EXPECT_EQ(entry["state"], 1);
        EXPECT_TRUE(message.endsWith("Division by zero.") &&
                    message.contains(":inner:") == (index % 2 == 1))
            << message.toStdString();
    }

    const RefPtr<Image> copy = ImageFile::Read((m_folder / "out/.._i_out.png").string(), error);
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(copy->GetPixel(1, 4)[1], 128.0f / 255.0f);
    const RefPtr<Image> roughness =
        ImageFile::Read((m_folder / "out/m_roughness.png").string(), error);
    ASSERT_TRUE(roughness) << error;
    EXPECT_TRUE(roughness->GetWidth() == 3 && roughness->GetPixel(2, 1)[2] == 1.0f);
    // Nothing escaped the output folder.
    EXPECT_FALSE(fs::exists(m_folder / "i_out.png"));

    const ProgramRun again = Run({"run", project, "-o", ".", "--format", "tif"});
    EXPECT_EQ(again.m_exit_code, 1) << again.Describe();
    EXPECT_TRUE(again.m_out.contains("m (material): roughness m_roughness.tif\n") &&
                again.m_out.contains("ratio (number): 0\n"))
        << again.Describe();
    EXPECT_TRUE(again.m_err.contains("output ratio: state 1: ")) << again.Describe();
}

TEST_F(RunCommandTest, RefusesSettingsAndInputsThatDoNotFitWithTheAcceptedForm) {
    const QString project = PackProject("every", kEveryTypeProject);
    PackProject("sum", kSumProject);
    WriteText(m_folder / "not_an_image.png", "text");
    struct Case {
        QStringList m_arguments;
        const char* m_message;
    };
    for (const Case& c : {
             Case{{"--set", "iterations=0"}, "iterations takes a number from 1 to 100000"},
             Case{{"--set", "iterations=many"}, "iterations takes a number from 1 to 100000"},
             Case{{"--set", "iterations"}, "expected NAME=VALUE"},
             Case{{"--set", "path=other.qmr"}, "PROJECT"},
             Case{{"--set", "colour=1"},
                  "colour: no such attribute; the attributes are iterations"},
             Case{{"--set", "iterations=2", "--set", "iterations=3"}, "given twice"},
             Case{{"--input", "p=1"}, "p takes a point x,y"},
             Case{{"--input", "f=1,2,3,inf"}, "f takes a frame x,y,width,height"},
             Case{{"--input", "c=1,1,1"}, "c takes a colour r,g,b,o"},
             Case{{"--input", "b=yes"}, "b takes true or false"},
             Case{{"--input", "i=missing.png"}, "cannot read the image missing.png"},
             Case{{"--input", "i=not_an_image.png"}, "cannot read the image not_an_image.png"},
             Case{{"--input", "q=1"}, "no such input; its inputs are p, f, c, b, i"},
             Case{{"--input", "=1"}, "expected NAME=VALUE"},
         }) {
        const ProgramRun run = Run(QStringList{"run", project} + c.m_arguments);
        EXPECT_TRUE(run.m_exit_code == 2 && run.m_out.isEmpty() && run.m_err.contains(c.m_message))
            << c.m_arguments.join(' ').toStdString() << "\n"
            << run.Describe();
    }
}

TEST_F(RunCommandTest, AFailedReadExitsWithTwoAndTheReadsMessage) {
    WriteText(m_folder / "broken.qmr", "not a project file");
    // The message the Node Graph node gives for the same file, read the way the host reads it.
    PluginLoader::Get().LoadDefault();
    RefPtr<NodeGraph> graph(new NodeGraph());
    Node* node = graph->CreateNode(NodeType(10, 1, 5));
    ASSERT_NE(node, nullptr) << "the Project plug-in gives no Node Graph node";
    const Status expected = node->ReadFileReference(0, (m_folder / "broken.qmr").string());
    ASSERT_EQ(expected.GetCode(), 2);

    for (const char* command : {"run", "info"}) {
        const ProgramRun run = Run({command, "broken.qmr"});
        EXPECT_EQ(run.m_exit_code, 2) << run.Describe();
        EXPECT_TRUE(run.m_err.contains(QByteArray::fromStdString(expected.GetMessage())))
            << run.Describe();
    }
    const ProgramRun json = Run({"run", "broken.qmr", "--json"});
    EXPECT_EQ(json.m_exit_code, 2) << json.Describe();
    EXPECT_EQ(ParseJson(json)["status"].toObject(),
              (QJsonObject{{"code", 2},
                           {"message", QString::fromStdString(expected.GetMessage())},
                           {"reason", QString::fromStdString(expected.GetReason())}}));
}

}  // namespace
