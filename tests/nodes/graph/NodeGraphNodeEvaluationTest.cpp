#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "host/BezierSpline.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/NodeListener.h"
#include "host/ProjectFile.h"
#include "host/Update.h"
#include "nodes/io/IoNode.h"
#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

using Builder = ProjectBuilder;

// The events a node handed to its listeners, as (type, parameter).
class EventRecorder : public NodeListener {
public:
    void OnNodeEvent(Node*, const NodeEvent& event) override {
        m_events.emplace_back(event.m_type, event.m_parameter);
    }
    std::vector<std::pair<uint32_t, uint32_t>> m_events;
};

TEST_F(NodeGraphNodeTest, NumberPointAndFrameLoopActionsCombineTheRuns) {
    Builder project;
    Node* loop = project.Add(Builder::kLoopIterations, "loop");
    Node* runs = project.Valley(loop, 5, 2, 7);
    for (const char* action : {"replace", "summation", "average", "minimum", "maximum"}) {
        project.Feed(runs, "number", project.Io(Builder::kNumberIo, action, action));
    }
    Node* point = project.Add(Builder::kPoint, "", "y", 1);
    project.Connect(runs, "number", point, "x");
    for (const char* action : {"replace", "summation", "average"}) {
        project.Feed(point, "point",
                     project.Io(Builder::kPointIo, std::string("p_") + action, action));
    }
    Node* corner = project.Line(loop, 5, -5);
    Node* frame = project.Add(Builder::kFrame, "", "width", 10);
    Builder::SetNumber(frame, "height", 10);
    project.Connect(corner, "number", frame, "x");
    project.Connect(corner, "number", frame, "y");
    for (const char* action : {"replace", "comp_over"}) {
        project.Feed(frame, "frame",
                     project.Io(Builder::kFrameIo, std::string("f_") + action, action));
    }

    NodeGraphNode* node = NodeReading(project.Write(Path("actions.qmr")));
    ASSERT_EQ(node->GetNumOutplugs(), 10u);
    node->GetAttribute("iterations")->SetNumber(3, false);
    Evaluate(node, 9);
    std::vector<double> results;
    for (uint32_t j = 0; j < 10; ++j) {
        const Point p = node->GetPointValue(j);
        const Frame f = node->GetFrameValue(j);
        if (j < 5) {
            results.push_back(node->GetNumberValue(j));
        } else if (j < 8) {
            results.insert(results.end(), {p.x, p.y});
        } else {
            results.insert(results.end(), {f.x, f.y, f.width, f.height});
        }
    }
    // Runs give the numbers 5, 2, 7, the points (n, 1) and the frames (0, 0, 10, 10),
    // (5, 5, 10, 10), (10, 10, 10, 10).
    const double third = 14.0 / 3;
    const std::vector<double> expected = {7, 14, third, 2,  7,  7, 1, 14, 3, third,
                                          1, 10, 10,    10, 10, 0, 0, 20, 20};
    EXPECT_EQ(results, expected);
}

TEST_F(NodeGraphNodeTest, ImageLoopActionsCombineTheRunsAndClampAnAdditionOnlyAtTheEnd) {
    // Each run blends a colour onto transparent black with the run's opacity: in "add" mode the
    // pixel is colour x opacity, in "over" mode it is the colour with opacity as its alpha. The
    // examples cover "replace" and "average".
    const Rgbo tint{1, 20, -1, 1};
    const std::array<double, 3> runs{0.2, -0.9, 0.8};
    const struct {
        const char* action;
        const char* mode;
        Rgbo colour;
        std::array<double, 3> opacities;
        std::array<float, 4> expected;
    } cases[] = {
        // The sums 0.1, 2 and -0.1 clamped once; clamping each run would give 0.8 in red.
        {"addition", "add", tint, runs, {0.1f, 1, 0, 0.1f}},
        {"minimum", "add", tint, runs, {-0.9f, -18, -0.8f, -0.9f}},
        {"maximum", "add", tint, runs, {0.8f, 16, 0.9f, 0.8f}},
        // Alpha 1 - 0.5 x 0.75 x 0.5; the colour stays.
        {"comp_over", "over", {0.2, 0.4, 0.6, 1}, {0.5, 0.25, 0.5}, {0.2f, 0.4f, 0.6f, 0.8125f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        Builder project;
        Node* background = project.Add(Builder::kSolid, "", "width", 2);
        Builder::SetNumber(background, "height", 2);
        background->GetAttribute("color")->SetRgbo({0, 0, 0, 0}, false);
        Node* foreground = project.Add(Builder::kSolid, "", "width", 2);
        Builder::SetNumber(foreground, "height", 2);
        foreground->GetAttribute("color")->SetRgbo(c.colour, false);
        Node* blend = project.Add(Builder::kBlend);
        ASSERT_TRUE(blend->GetAttribute("mode")->SetChoice(c.mode, false));
        project.Connect(background, "image", blend, "background");
        project.Connect(foreground, "image", blend, "foreground");
        Node* loop = project.Add(Builder::kLoopIterations);
        project.Connect(project.Valley(loop, c.opacities[0], c.opacities[1], c.opacities[2]),
                        "number", blend, "opacity");
        project.Feed(blend, "image", project.Io(Builder::kImageIo, "image", c.action));

        NodeGraphNode* node = NodeReading(project.Write(Path(std::string(c.action) + ".qmr")));
        ASSERT_EQ(node->GetNumOutplugs(), 1u);
        node->GetAttribute("iterations")->SetNumber(3, false);
        Evaluate(node);
        const Image* image = node->GetImageValue(0);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->GetWidth(), 2u);
        const float* pixel = image->GetPixel(1, 1);
        for (int channel = 0; channel < 4; ++channel) {
            EXPECT_NEAR(pixel[channel], c.expected[channel], 1e-5) << "channel " << channel;
        }
    }
}

TEST_F(NodeGraphNodeTest, RunsCountHalvesDownAndFeedTheOutputOfTheSameNameAndTypeIntoTheNextRun) {
    Builder project;
    // Paired: each run adds one to the previous run's own value, not to the running sum.
    project.Through("acc", "acc", 1, "summation");
    // Names differ in case: never paired.
    project.Through("x", "X");
    // Same name, other IO type: never paired.
    Node* point = project.Add(Builder::kPoint);
    Node* next = project.Math("add", 0, 1);
    project.Connect(project.Io(Builder::kNumberIo, "p"), "number", next, "a");
    project.Connect(next, "number", point, "x");
    project.Feed(point, "point", project.Io(Builder::kPointIo, "p"));
    // "trace" writes the run numbers the Loop Iterations node gives as digits.
    Node* shifted = project.Math("multiply", 0, 10);
    Node* digit = project.Math("add", 0, 0);
    project.Connect(project.Io(Builder::kNumberIo, "trace"), "number", shifted, "a");
    project.Connect(shifted, "number", digit, "a");
    project.Connect(project.Add(Builder::kLoopIterations, "loop"), "iteration", digit, "b");
    project.Feed(digit, "number", project.Io(Builder::kNumberIo, "trace"));
    NodeGraphNode* node = NodeReading(project.Write(Path("pairs.qmr")));
    ASSERT_EQ(node->GetNumOutplugs(), 4u);
    FeedNumber(node, "acc", 10);
    FeedNumber(node, "x", 5);
    FeedNumber(node, "p", 5);
    Node* count = FeedNumber(node, "iterations", 1);
    // No run leaves a paired output at its input's value.
    const std::array<double, 5> cases[] = {
        {0.4, 10, 0, 0, 0}, {2.5, 23, 6, 6, 12}, {2.51, 36, 6, 6, 123}, {1, 11, 6, 6, 1}};
    for (const auto& c : cases) {
        count->GetAttribute("value")->SetNumber(c[0], false);
        Evaluate(node);
        EXPECT_EQ((std::array<double, 5>{c[0], node->GetNumberValue(0), node->GetNumberValue(1),
                                         node->GetPointValue(2).x, node->GetNumberValue(3)}),
                  c);
    }
}

TEST_F(NodeGraphNodeTest, FailingInnerOutplugsBecomeTheRequestedOutplugsState) {
    Builder project;
    Node* ratio = project.Math("divide", 1, 0, "ratio");  // the first node of the project
    project.Feed(ratio, "number", project.Io(Builder::kNumberIo, "q"));
    project.Feed(project.Add(Builder::kNumber, "one", "value", 1), "number",
                 project.Io(Builder::kNumberIo, "ok"));
    NodeGraphNode* node = NodeReading(project.Write(Path("state.qmr")));
    ASSERT_EQ(node->GetNumOutplugs(), 2u);

    Evaluate(node, 1);
    EXPECT_EQ(node->GetState(1), 1u);
    EXPECT_EQ(node->GetStateMessage(1), "Math:ratio:number:Division by zero.");
    EXPECT_EQ(node->GetNumberValue(1), 1) << "the other output is still computed";

    node->GetInnerGraph()->FindNode("ratio")->SetName("");
    Evaluate(node, 0);
    EXPECT_EQ(node->GetState(0), 1u);
    EXPECT_EQ(node->GetStateMessage(0), "Math:number:Division by zero.");
}

// Outputs of every kind are the node's own copies; event 11 releases its images and materials,
// and CopyFrom carries the project over.
TEST_F(NodeGraphNodeTest, OutputsAreCopiesThatEventsReleaseAndInputsHearOfTheirInplugs) {
    Builder project;
    project.Attributes("params")->AddNumberAttribute("gain", 1, 0, 10, 1, 0);
    Node* sum = project.Through("a", "sum", 0);
    project.Connect(project.Io(Builder::kNumberIo, "b"), "number", sum, "b");
    Node* solid = project.Add(Builder::kSolid, "base", "width", 4);
    Builder::SetNumber(solid, "height", 4);
    solid->GetAttribute("color")->SetRgbo({0.2, 0.4, 0.6, 1.0}, false);
    project.Feed(solid, "image", project.Io(Builder::kImageIo, "image"));
    Node* material = project.Add(Builder::kMaterial, "material");
    project.Connect(solid, "image", material, "base_color");
    project.Feed(material, "material", project.Io(Builder::kMaterialIo, "clay"));
    Node* curve = project.Add(NodeType(10, 5, 0), "curve");
    curve->GetAttribute("end")->SetPoint({2.0, 3.0}, false);
    project.Feed(curve, "curves", project.Io(NodeType(10, 1, 64), "path"));
    Node* colour = project.Add(NodeType(10, 2, 4), "colour");
    colour->GetAttribute("color")->SetRgbo({0.2, 0.4, 0.6, 0.5}, false);
    project.Feed(colour, "color", project.Io(NodeType(10, 1, 42), "tint", "comp_over"));
    Node* flag = project.Add(NodeType(10, 2, 5), "flag");
    flag->GetAttribute("value")->SetBoolean(true, false);
    project.Feed(flag, "bool", project.Add(NodeType(10, 1, 21), "on"));
    const std::string path = project.Write(Path("outputs.qmr"));

    Update::Get()->FlushEventsToProcess();
    NodeGraphNode* node = NewNode();
    EventRecorder outer;
    node->AddNodeListener(&outer);
    ASSERT_EQ(node->ReadProject(path).GetCode(), 0);
    ASSERT_EQ(node->GetInputNodes().size(), 2u);
    EventRecorder inner[2];
    for (int i = 0; i < 2; ++i) {
        node->GetInputNodes()[i]->AddNodeListener(&inner[i]);
    }
    Update::Get()->FlushEventsToProcess();
    EXPECT_EQ(std::count(outer.m_events.begin(), outer.m_events.end(), std::make_pair(5u, 0u)), 1)
        << "the read announces itself";
    // Inplugs: path, iterations, gain, a, b. Each input hears of its own inplug as parameter 0.
    std::string heard;
    for (uint32_t parameter = 0; parameter <= 5; ++parameter) {
        node->ProcessEvent(5, parameter);
        for (EventRecorder& recorder : inner) {
            heard += recorder.m_events == decltype(recorder.m_events){{5u, 0u}} ? "+"
                     : recorder.m_events.empty()                                ? "."
                                                                                : "?";
            recorder.m_events.clear();
        }
    }
    EXPECT_EQ(heard, "......+..+..");
    for (int i = 0; i < 2; ++i) {
        node->GetInputNodes()[i]->RemoveNodeListener(&inner[i]);
    }
    node->RemoveNodeListener(&outer);

    FeedNumber(node, "a", 2);
    FeedNumber(node, "b", 3);
    node->GetAttribute("iterations")->SetNumber(2, false);
    Evaluate(node);
    const uint32_t clay = node->FindOutplug("clay"), image = node->FindOutplug("image");
    Material* result = node->GetMaterialValue(clay);
    ASSERT_TRUE(result && node->GetImageValue(image));
    EXPECT_EQ(node->GetImageValue(image)->GetWidth(), 4u);
    EXPECT_NE(result, material->GetMaterialValue(0));  // a copy, not the inner node's object
    ASSERT_NE(result->GetImage("base_color"), nullptr);
    EXPECT_FLOAT_EQ(result->GetImage("base_color")->GetPixel(3, 3)[2], 0.6f);
    std::vector<BezierSpline*>* curves = node->GetCurveValue(node->FindOutplug("path"));
    ASSERT_TRUE(curves && curves->size() == 1u &&
                curves->at(0)->GetControlPoints().back() == (Point{2.0, 3.0}));
    // A Curves IO node of the document holds copies of its own.
    Node* held = m_document->CreateNode(NodeType(10, 1, 64));
    ASSERT_TRUE(held && Engine::Get()->ConnectNodes(node, node->FindOutplug("path"), held,
                                                    held->FindInplug("curves")));
    Evaluate(held);
    ASSERT_TRUE(held->GetCurveValue(0)->size() == 1u &&
                held->GetCurveValue(0)->at(0) != curves->at(0));
    EXPECT_EQ(*held->GetCurveValue(0)->at(0), *curves->at(0));
    // Half-transparent colour over itself: same colour, alpha 0.5 + 0.5 x 0.5.
    const Rgbo tint = node->GetRgboValue(node->FindOutplug("tint"));
    EXPECT_NEAR(std::abs(tint.r - 0.2) + std::abs(tint.b - 0.6) + std::abs(tint.o - 0.75), 0,
                1e-12);
    EXPECT_TRUE(node->GetBooleanValue(node->FindOutplug("on")));

    NodeGraphNode* copy = NewNode("copy");
    copy->CopyFrom(node);
    EXPECT_EQ(copy->GetFileReference(0), node->GetFileReference(0));
    ASSERT_EQ(copy->GetNumOutplugs(), 6u);
    Evaluate(copy);
    EXPECT_EQ(copy->GetRgboValue(copy->FindOutplug("tint")), (Rgbo{0.2, 0.4, 0.6, 0.5}));
    EXPECT_TRUE(copy->GetMaterialValue(clay) && copy->GetMaterialValue(clay) != result);

    node->ProcessEvent(kEventReleaseImages, 0);
    EXPECT_TRUE(!node->GetImageValue(image) && !node->GetMaterialValue(clay));
    EXPECT_EQ(node->GetNumberValue(node->FindOutplug("sum")), 5);
}

TEST_F(NodeGraphNodeTest, SavedAttributeValuesComeBackOnceTheProjectIsRead) {
    Builder project;
    DynamicNode* params = project.Attributes("params");
    params->AddNumberAttribute("gain", 1, 0, 10, 0.5, 1);
    params->AddChoiceAttribute("quality", "draft,final");
    params->AddStringAttribute("label", "");
    project.Feed(project.Add(Builder::kNumber), "number", project.Io(Builder::kNumberIo, "out"));
    const std::string path = project.Write(Path("saved.qmr"));

    // Records of kind 0 are accepted and dropped; the others wait for PostLoad.
    NodeGraphNode* direct = NewNode("direct");
    direct->SetFileReference(0, path);
    EXPECT_TRUE(direct->StoreRecord(0, "gain", "NUMBER", "9", ""));
    EXPECT_TRUE(direct->StoreRecord(1, "gain", "NUMBER", "2.5", ""));
    EXPECT_TRUE(direct->StoreRecord(1, "quality", "CHOICE", "final", ""));
    EXPECT_EQ(direct->PostLoad(1).GetCode(), 0);
    EXPECT_EQ(Values(*direct), "path=" + path + " iterations=1 gain=2.5 quality=final label=");

    // A document holding the node, written and read back.
    NodeGraphNode* node = NodeReading(path);
    node->GetAttribute("iterations")->SetNumber(4, false);
    node->GetAttribute("gain")->SetNumber(7.5, false);
    ASSERT_TRUE(node->GetAttribute("quality")->SetChoice("final", false));
    node->GetAttribute("label")->SetString("hello", false);
    const std::string document = Path("document.qmr");
    ASSERT_LE(ProjectFile::Write(*m_document, document).GetCode(), 1);

    RefPtr<NodeGraph> read(new NodeGraph);
    const Status status = ProjectFile::Read(document, *read);
    ASSERT_EQ(status.GetCode(), 0) << status.GetMessage();
    Node* again = read->FindNode("graph");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Values(*again), "path=" + path + " iterations=4 gain=7.5 quality=final label=hello");
    EXPECT_EQ(again->GetNumOutplugs(), 1u);
}

// Reading, interface discovery, evaluation and clean-up all walk the inner graph; none of them
// may recurse once per node. The chain is written as XML: building it node by node through the
// host would take most of the test's time.
TEST_F(NodeGraphNodeTest, HugeAndDeepProjectsReadAndRunWithoutExhaustingTheStack) {
    constexpr int kNodes = 100000;
    // x + 1 + 1 + ... through a chain of kNodes Math nodes, on to y.
    std::string xml =
        "<QuillmarProject major=\"1\" minor=\"0\">\n"
        "<Node id=\"0\" type=\"10,1,26\" name=\"x\"/>\n";
    const std::string to_y = std::to_string(kNodes + 1);
    xml += "<Node id=\"" + to_y + "\" type=\"10,1,26\" name=\"y\"/>\n";
    for (int i = 1; i <= kNodes; ++i) {
        xml += "<Node id=\"" + std::to_string(i) +
               "\" type=\"10,2,1\"><Value name=\"b\" type=\"NUMBER\" value=\"1\"/></Node>\n";
        xml += "<Connection from=\"" + std::to_string(i - 1) + "\" outplug=\"number\" to=\"" +
               std::to_string(i) + "\" inplug=\"a\"/>\n";
    }
    xml += "<Connection from=\"" + std::to_string(kNodes) + "\" outplug=\"number\" to=\"" + to_y +
           "\" inplug=\"number\"/>\n</QuillmarProject>\n";
    NodeGraphNode* deep = NodeReading(Builder::WriteContainer(Path("chain.qmr"), xml));
    ASSERT_EQ(deep->GetNumOutplugs(), 1u);
    ASSERT_EQ(deep->GetInnerGraph()->GetNumNodes(), size_t(kNodes + 2));
    FeedNumber(deep, "x", 0.5);
    Evaluate(deep);
    EXPECT_EQ(deep->GetState(0), 0u) << deep->GetStateMessage(0);
    EXPECT_EQ(deep->GetNumberValue(0), 0.5 + kNodes);
}

TEST_F(NodeGraphNodeTest, CycleInsideAProjectIsAnErrorStateNotAHang) {
    // first = x + second, second = first + 0: a loop the reader accepts as it is saved.
    const std::string path = Builder::WriteContainer(Path("cycle.qmr"), R"(
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x"/>
    <Node id="1" type="10,2,1" name="first"/>
    <Node id="2" type="10,2,1" name="second"/>
    <Node id="3" type="10,1,26" name="y"/>
    <Connection from="0" outplug="number" to="1" inplug="a"/>
    <Connection from="2" outplug="number" to="1" inplug="b"/>
    <Connection from="1" outplug="number" to="2" inplug="a"/>
    <Connection from="1" outplug="number" to="3" inplug="number"/>
</QuillmarProject>)");
    NodeGraphNode* node = NodeReading(path);
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    FeedNumber(node, "x", 2);
    node->GetAttribute("iterations")->SetNumber(3, false);
    Evaluate(node);
    EXPECT_NE(node->GetState(0), 0u);
    EXPECT_NE(node->GetStateMessage(0).find("Cycle"), std::string::npos)
        << node->GetStateMessage(0);
}

}  // namespace
