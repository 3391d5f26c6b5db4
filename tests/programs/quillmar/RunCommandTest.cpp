#include <QJsonArray>
#include <QJsonObject>

#include <filesystem>
#include <string>
#include <vector>

#include "host/Image.h"
#include "host/ImageFile.h"
#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using RunCommandTest = QuillmarTest;

TEST_F(RunCommandTest, RunsTheProjectWithSettingsAndInputsAsJsonAndText) {
    const QString project = PackProject("sum", kSumProject);
    const ProgramRun run =
        Run({"run", project, "--set", "iterations=3", "--input", "x=2", "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    EXPECT_EQ(QJsonValue(ParseJson(run)), Json(R"({"status": {"code": 0, "message": "",
        "reason": ""}, "outputs": [{"name": "y", "type": "number", "value": 7.5},
        {"name": "mean", "type": "number", "value": 2.5}], "states": []})"))
        << run.Describe();

    const ProgramRun text = Run({"run", project, "--input", "x=0.25", "--set", "iterations=2"});
    ASSERT_EQ(text.m_exit_code, 0) << text.Describe();
    EXPECT_EQ(text.m_out.toStdString(), "y (number): 1.5\nmean (number): 0.75\n");
}

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
    <Node id="16" type="10,1,26" name="ratio" />
    <Node id="18" type="10,2,1" name="inner">
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
        {{"run", every, "--set", "iterations=0"}, 2, "iterations takes a number from 1 to 100000"},
        {{"run", every, "--set", "iterations=many"}, 2, "iterations takes a number from 1 to 1000"},
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
        {{"run", every, "--input", "=1"}, 2, "expected NAME=VALUE"},
        {{"run", sum, "-o", "secret.txt"}, 2, "secret.txt is a file"},
        {{"run", sum, "--set", "iterations=0", "--json"}, 2, "iterations takes", "\"code\": 2"},
        {{"run", "--no-such-option", "--json"}, 2, "", "\"code\": 2"},
        {{"info", "missing.qmr", "--json"}, 2, "", "\"reason\": \"cannot open"},
        {{"check", sum, "--strict"}, 0, "", "read without problems"},
        {{"check", nan}, 0, "", "unreadable NUMBER text \"nan\""},
        {{"check", nan, "--strict"}, 1, "", "unreadable NUMBER text \"nan\""},
        {{"check", nested}, 2, "project \"gone.qmr\" cannot be read"},
        {{"check", nested}, 2, "connection from node 0 \"result\""},
        {{"render", sum, "-o", "out"}, 2, "no Writer node"},
        {{"render", "broken.qmr", "-o", "out"}, 2, "cannot read"},
        {{"render", "missing.qmr", "-o", "out"}, 2, "cannot read"},
        {{"pack", "no_project", "-o", "out.qmr"}, 2, "Project.xml"},
        {{"pack", "missing", "-o", "out.qmr"}, 2, "missing"},
        {{"pack", "no_project"}, 2, "--output"},
        {{"pack", "linked", "-o", "out.qmr"}, 2, "shared.txt is a symbolic link"},
        {{"unpack", "broken.qmr", "-o", "out"}, 2, "broken.qmr"},
        {{"unpack", "missing.qmr", "-o", "out"}, 2, "missing.qmr"},
        {{"graph", sum, "-o", "sum.txt"}, 2, ".svg or .png"},
        {{"graph", "missing.qmr", "-o", "sum.svg"}, 2, "missing.qmr"},
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

// Inputs and outputs of several types, one of them unnamed, and the parameters of an Attributes
// node; a private Attributes node keeps its own to the project.
constexpr const char* kInfoProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,53" name="picture" /><Node id="1" type="10,1,21" name="flag" />
    <Node id="2" type="10,1,26"><Value name="loop_action" type="CHOICE" value="maximum" /></Node>
    <Node id="3" type="10,3,2" />
    <Node id="4" type="10,1,53" name="blurred">
        <Value name="loop_action" type="CHOICE" value="comp_over" /></Node>
    <Node id="5" type="10,1,21" name="same" />
    <Node id="6" type="10,1,0" name="params" definitions="params.xml">
        <Value name="radius" type="NUMBER" value="2.5" />
        <Value name="offset" type="POINT" value="1,-1" />
        <Value name="tint" type="RGBO" value="0.5,0.25,1,1" />
        <Value name="label" type="STRING" value="a, b" /></Node>
    <Node id="7" type="10,1,0" name="private" definitions="private.xml" />
    <Node id="8" type="10,1,26" name="total">
        <Value name="loop_action" type="CHOICE" value="summation" /></Node>
    <Connection from="0" outplug="image" to="3" inplug="image" />
    <Connection from="6" outplug="radius" to="3" inplug="radius" />
    <Connection from="3" outplug="image" to="4" inplug="image" />
    <Connection from="1" outplug="bool" to="5" inplug="bool" />
    <Connection from="2" outplug="number" to="8" inplug="number" />
</QuillmarProject>
)";

constexpr const char* kParameters = R"(<QuillmarAttributesNode major="0" minor="0">
    <Attributes num_attributes="6">
        <Attribute id="0" name="radius" type="NUMBER" decimals="2" default="1" min="0" max="10"
            step="0.5" />
        <Attribute id="1" name="mode" type="CHOICE" choices="fast,slow,exact" />
        <Attribute id="2" name="offset" type="POINT" decimals="1" default="0" min="-5" max="5"
            step="1" />
        <Attribute id="3" name="tint" type="RGBO" /><Attribute id="4" name="label" type="STRING" />
        <Attribute id="5" name="invert" type="BOOLEAN" />
    </Attributes>
</QuillmarAttributesNode>
)";

TEST_F(RunCommandTest, InfoListsPlugsWithLoopActionsAndAttributesInOrder) {
    const QString project =
        PackProject("info", kInfoProject,
                    {{"params.xml", kParameters},
                     {"private.xml", R"(<QuillmarAttributesNode major="0" minor="0"><Attributes
             num_attributes="1"><Attribute id="0" name="hidden" type="BOOLEAN" /></Attributes>
             </QuillmarAttributesNode>)"}});
    const ProgramRun run = Run({"info", project, "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    const QJsonObject root = ParseJson(run);
    EXPECT_EQ(root["inputs"], Json(R"([
        {"name": "picture", "type": "image", "loop_action": "replace"},
        {"name": "flag", "type": "boolean", "loop_action": null},
        {"name": "number", "type": "number", "loop_action": "maximum"}])"));
    EXPECT_EQ(root["outputs"], Json(R"([
        {"name": "blurred", "type": "image", "loop_action": "comp_over"},
        {"name": "same", "type": "boolean", "loop_action": null},
        {"name": "total", "type": "number", "loop_action": "summation"}])"));
    EXPECT_EQ(root["attributes"], Json(R"([
        {"name": "radius", "type": "number", "value": 2.5, "minimum": 0, "maximum": 10},
        {"name": "mode", "type": "choice", "value": "fast", "choices": ["fast", "slow", "exact"]},
        {"name": "offset", "type": "point", "value": [1, -1], "minimum": -5, "maximum": 5},
        {"name": "tint", "type": "color", "value": [0.5, 0.25, 1, 1]},
        {"name": "label", "type": "string", "value": "a, b"},
        {"name": "invert", "type": "boolean", "value": false}])"));

    const ProgramRun text = Run({"info", project});
    ASSERT_EQ(text.m_exit_code, 0) << text.Describe();
    for (const char* line : {"Inputs:\n  picture (image), loop action replace\n  flag (boolean)\n",
                             "  total (number), loop action summation\nAttributes:\n",
                             "  radius (number) = 2.5, from 0 to 10\n",
                             "  mode (choice) = fast, one of fast, slow, exact\n"}) {
        EXPECT_TRUE(text.m_out.contains(line)) << line << "\n" << text.Describe();
    }
}

}  // namespace
