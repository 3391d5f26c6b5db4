#include <gtest/gtest.h>

#include <string>

#include "host/DynamicNode.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "host/ScopedTemporaryDirectory.h"

namespace {

// Creates a node by type through the host, as a project reader would, and names it.
Node* Create(NodeGraph& graph, uint32_t group, uint32_t kind, const std::string& name) {
    Node* node = graph.CreateNode(NodeType(10, group, kind));
    EXPECT_NE(node, nullptr) << "type 10," << group << "," << kind;
    if (node) {
        node->SetName(name);
    }
    return node;
}

// Same types, names, attribute values and connections, node by node.
void ExpectSameGraph(const NodeGraph& expected, const NodeGraph& actual) {
    ASSERT_EQ(actual.GetNumNodes(), expected.GetNumNodes());
    for (size_t index = 0; index < expected.GetNumNodes(); ++index) {
        const Node* want = expected.GetNode(index);
        const Node* got = actual.GetNode(index);
        SCOPED_TRACE(want->GetName());
        EXPECT_EQ(got->GetNodeType(), want->GetNodeType());
        EXPECT_EQ(got->GetName(), want->GetName());
        EXPECT_EQ(got->IsActive(), want->IsActive());
        ASSERT_EQ(got->GetNumAttributes(), want->GetNumAttributes());
        for (size_t index = 0; index < want->GetNumAttributes(); ++index) {
            const Attribute& a = *want->GetAttributeByIndex(index);
            const Attribute& b = *got->GetAttributeByIndex(index);
            SCOPED_TRACE(a.GetName());
            EXPECT_TRUE(b.GetName() == a.GetName() && b.GetType() == a.GetType());
            EXPECT_EQ(b.GetValueText(), a.GetValueText());
            EXPECT_TRUE(b.GetMinimum() == a.GetMinimum() && b.GetMaximum() == a.GetMaximum() &&
                        b.GetSingleStep() == a.GetSingleStep() &&
                        b.GetDecimals() == a.GetDecimals() &&
                        b.GetChoiceNames() == a.GetChoiceNames());
        }
        ASSERT_EQ(got->GetNumInplugs(), want->GetNumInplugs());
        for (uint32_t inplug = 0; inplug < want->GetNumInplugs(); ++inplug) {
            const Node* want_source = want->GetInplugNode(inplug);
            const Node* got_source = got->GetInplugNode(inplug);
            EXPECT_EQ(got_source ? actual.IndexOf(got_source) : NodeGraph::kNone,
                      want_source ? expected.IndexOf(want_source) : NodeGraph::kNone)
                << "inplug " << inplug;
            if (want_source && got_source) {
                EXPECT_EQ(got->GetInplugNodeOutplug(inplug), want->GetInplugNodeOutplug(inplug));
            }
        }
    }
}

// The plug-in loaded as the host loads it; every project node type of the plug-in, published or
// not, in one project written to a file and read back.
TEST(ProjectRoundTrip, ProjectNodesSurviveAWrittenAndReadProject) {
    PluginLoader::Get().LoadDefault();
    ASSERT_TRUE(PluginLoader::Get().GetErrors().empty()) << PluginLoader::Get().GetErrors().front();

    RefPtr<NodeGraph> graph(new NodeGraph);
    Node* narrow = Create(*graph, 3, 0, "narrow");
    Node* wide = Create(*graph, 3, 0, "wide");
    Node* image_switch = Create(*graph, 1, 74, "pick");
    Node* image_io = Create(*graph, 1, 53, "result");
    Node* loop = Create(*graph, 1, 10, "loop");
    Node* number_io = Create(*graph, 1, 26, "count");
    Node* boolean = Create(*graph, 2, 5, "flag");
    Node* boolean_io = Create(*graph, 1, 21, "flag_out");
    Node* color = Create(*graph, 2, 4, "tint");
    Node* rgbo_io = Create(*graph, 1, 42, "tint_out");
    Node* curve = Create(*graph, 5, 0, "curve");
    Node* curves_io = Create(*graph, 1, 64, "curve_out");
    Node* point_io = Create(*graph, 1, 32, "offset");
    Node* frame_io = Create(*graph, 1, 37, "area");
    Node* material = Create(*graph, 4, 0, "surface");
    Node* material_switch = Create(*graph, 1, 80, "pick_surface");
    Node* material_io = Create(*graph, 1, 69, "surface_out");
    auto* parameters = dynamic_cast<DynamicNode*>(Create(*graph, 1, 0, "parameters"));
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(parameters, nullptr);

    narrow->GetAttribute("width")->SetNumber(3, false);
    wide->GetAttribute("width")->SetNumber(5, false);
    ASSERT_TRUE(graph->ConnectNodes(narrow, "image", 0, image_switch, "image", 0));
    ASSERT_TRUE(graph->ConnectNodes(wide, "image", 0, image_switch, "image", 1));
    image_switch->GetAttribute("index")->SetNumber(2, false);
    ASSERT_TRUE(graph->ConnectNodes(image_switch, "image", 0, image_io, "image", 0));
    ASSERT_TRUE(image_io->GetAttribute("loop_action")->SetChoice("maximum", false));
    loop->GetAttribute("iterations")->SetNumber(4, false);
    ASSERT_TRUE(graph->ConnectNodes(loop, "iteration", 0, number_io, "number", 0));
    ASSERT_TRUE(number_io->GetAttribute("loop_action")->SetChoice("summation", false));
    ASSERT_TRUE(graph->ConnectNodes(boolean, "bool", 0, boolean_io, "bool", 0));
    ASSERT_TRUE(graph->ConnectNodes(color, "color", 0, rgbo_io, "color", 0));
    ASSERT_TRUE(rgbo_io->GetAttribute("loop_action")->SetChoice("average", false));
    ASSERT_TRUE(graph->ConnectNodes(curve, "curves", 0, curves_io, "curves", 0));
    ASSERT_TRUE(point_io->GetAttribute("loop_action")->SetChoice("summation", false));
    ASSERT_TRUE(frame_io->GetAttribute("loop_action")->SetChoice("comp_over", false));
    frame_io->SetActive(false);
    ASSERT_TRUE(graph->ConnectNodes(material, "material", 0, material_switch, "material", 0));
    ASSERT_TRUE(graph->ConnectNodes(material_switch, "material", 0, material_io, "material", 0));

    // Definitions and values of every attribute type; the choice away from its first entry.
    parameters->AddBooleanAttribute("enabled", true);
    parameters->AddNumberAttribute("gain", 0.5, 0, 1, 0.01, 2);
    parameters->AddPointAttribute("centre", {0.25, 0.25}, -1, 1, 0.05, 3);
    parameters->AddFrameAttribute("crop", {0, 0, 64, 64});
    parameters->AddRgboAttribute("shade", {0.1, 0.2, 0.3, 1});
    parameters->AddChoiceAttribute("quality", "draft,final");
    parameters->AddStringAttribute("label", "");
    parameters->GetAttribute("gain")->SetNumber(0.75, false);
    parameters->GetAttribute("centre")->SetPoint({0.5, -0.5}, false);
    parameters->GetAttribute("crop")->SetFrame({1, 2, 30, 40}, false);
    ASSERT_TRUE(parameters->GetAttribute("quality")->SetChoice("final", false));
    parameters->GetAttribute("label")->SetString("a, b", false);
    ASSERT_TRUE(graph->ConnectNodes(parameters, "centre", 0, point_io, "point", 0));

    ScopedTemporaryDirectory folder;
    std::string error;
    ASSERT_TRUE(folder.Create(error)) << error;
    const std::string path = folder.GetPath() + "/nodes.qmr";
    const Status written = ProjectFile::Write(*graph, path);
    ASSERT_EQ(written.GetCode(), 0) << written.GetMessage();

    RefPtr<NodeGraph> read(new NodeGraph);
    const Status status = ProjectFile::Read(path, *read);
    ASSERT_EQ(status.GetCode(), 0) << status.GetMessage();
    ExpectSameGraph(*graph, *read);

    // The read project computes: the switch picks the wide solid and passes a copy on.
    Node* result = read->FindNode("result");
    ASSERT_NE(result, nullptr);
    EvaluateNodeOutplugs evaluation({{result, 0, false}});
    evaluation.EvaluateAll();
    ASSERT_NE(result->GetImageValue(0), nullptr);
    EXPECT_EQ(result->GetImageValue(0)->GetWidth(), 5u);
}

}  // namespace
