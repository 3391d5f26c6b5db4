#include <QJsonArray>
#include <QJsonObject>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace {

using InfoCommandTest = QuillmarTest;

// Inputs and outputs of several types, one of them unnamed, and the parameters of an Attributes
// node; a private Attributes node keeps its own to the project.
constexpr const char* kProject = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,53" name="picture" />
    <Node id="1" type="10,1,21" name="flag" />
    <Node id="2" type="10,1,26">
        <Value name="loop_action" type="CHOICE" value="maximum" />
    </Node>
    <Node id="3" type="10,3,2" />
    <Node id="4" type="10,1,53" name="blurred">
        <Value name="loop_action" type="CHOICE" value="comp_over" />
    </Node>
    <Node id="5" type="10,1,21" name="same" />
    <Node id="6" type="10,1,0" name="params" definitions="params.xml">
        <Value name="radius" type="NUMBER" value="2.5" />
        <Value name="offset" type="POINT" value="1,-1" />
        <Value name="tint" type="RGBO" value="0.5,0.25,1,1" />
        <Value name="label" type="STRING" value="a, b" />
    </Node>
    <Node id="7" type="10,1,0" name="private" definitions="private.xml" />
    <Node id="8" type="10,1,26" name="total">
        <Value name="loop_action" type="CHOICE" value="summation" />
    </Node>
    <Connection from="0" outplug="image" to="3" inplug="image" />
    <Connection from="6" outplug="radius" to="3" inplug="radius" />
    <Connection from="3" outplug="image" to="4" inplug="image" />
    <Connection from="1" outplug="bool" to="5" inplug="bool" />
    <Connection from="2" outplug="number" to="8" inplug="number" />
</QuillmarProject>
)";

constexpr const char* kParameters = R"(<?xml version="1.0" ?>
<QuillmarAttributesNode major="0" minor="0">
    <Attributes num_attributes="6">
        <Attribute id="0" name="radius" type="NUMBER" decimals="2" default="1" min="0" max="10" step="0.5" />
        <Attribute id="1" name="mode" type="CHOICE" choices="fast,slow,exact" />
        <Attribute id="2" name="offset" type="POINT" decimals="1" default="0" min="-5" max="5" step="1" />
        <Attribute id="3" name="tint" type="RGBO" />
        <Attribute id="4" name="label" type="STRING" />
        <Attribute id="5" name="invert" type="BOOLEAN" />
    </Attributes>
</QuillmarAttributesNode>
)";

constexpr const char* kPrivate = R"(<?xml version="1.0" ?>
<QuillmarAttributesNode major="0" minor="0">
    <Attributes num_attributes="1">
        <Attribute id="0" name="hidden" type="BOOLEAN" />
    </Attributes>
</QuillmarAttributesNode>
)";

QJsonObject Plug(const char* name, const char* type, const QJsonValue& loop_action) {
    return {{"name", name}, {"type", type}, {"loop_action", loop_action}};
}

TEST_F(InfoCommandTest, ListsPlugsWithLoopActionsAndAttributesInOrder) {
    const QString project =
        PackProject("info", kProject, {{"params.xml", kParameters}, {"private.xml", kPrivate}});
    const ProgramRun run = Run({"info", project, "--json"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    const QJsonObject root = ParseJson(run);
    EXPECT_EQ(root["inputs"].toArray(), (QJsonArray{
                                            Plug("picture", "image", "replace"),
                                            Plug("flag", "boolean", QJsonValue()),
                                            Plug("number", "number", "maximum"),
                                        }));
    EXPECT_EQ(root["outputs"].toArray(), (QJsonArray{
                                             Plug("blurred", "image", "comp_over"),
                                             Plug("same", "boolean", QJsonValue()),
                                             Plug("total", "number", "summation"),
                                         }));
    EXPECT_EQ(root["attributes"].toArray(),
              (QJsonArray{
                  QJsonObject{{"name", "radius"},
                              {"type", "number"},
                              {"value", 2.5},
                              {"minimum", 0},
                              {"maximum", 10}},
                  QJsonObject{{"name", "mode"},
                              {"type", "choice"},
                              {"value", "fast"},
                              {"choices", QJsonArray{"fast", "slow", "exact"}}},
                  QJsonObject{{"name", "offset"},
                              {"type", "point"},
                              {"value", QJsonArray{1, -1}},
                              {"minimum", -5},
                              {"maximum", 5}},
                  QJsonObject{
                      {"name", "tint"}, {"type", "color"}, {"value", QJsonArray{0.5, 0.25, 1, 1}}},
                  QJsonObject{{"name", "label"}, {"type", "string"}, {"value", "a, b"}},
                  QJsonObject{{"name", "invert"}, {"type", "boolean"}, {"value", false}},
              }));

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
