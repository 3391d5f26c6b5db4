#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/Helper.h"
#include "host/Image.h"
#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

namespace fs = std::filesystem;
using Builder = ProjectBuilder;

// Everything of the node that a read could change, in a comparable form.
std::vector<std::string> Describe(const NodeGraphNode& node) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < node.GetNumAttributes(); ++i) {
        const Attribute* attribute = node.GetAttributeByIndex(i);
        lines.push_back("attribute " + attribute->GetName() + " " + attribute->GetTypeName() + " " +
                        attribute->GetValueText());
    }
    for (uint32_t i = 0; i < node.GetNumInplugs(); ++i) {
        const Node* source = node.GetInplugNode(i);
        lines.push_back("inplug " + node.GetInplugName(i) + " " +
                        std::to_string(node.GetInplugValueType(i)) + " from " +
                        (source ? source->GetName() : "-"));
    }
    for (uint32_t i = 0; i < node.GetNumOutplugs(); ++i) {
        lines.push_back("outplug " + node.GetOutplugName(i) + " " +
                        std::to_string(node.GetOutplugValueType(i)));
    }
    for (uint32_t k = 0; k < node.GetNumConnectedToOutplug(); ++k) {
        lines.push_back("to " + node.GetOutplugConnectionNode(k)->GetName() + " inplug " +
                        std::to_string(node.GetOuplugConnectionNodeInplugId(k)) + " from " +
                        std::to_string(node.GetOutplugConnectionOutplugId(k)));
    }
    return lines;
}

// A refusal leaves a fresh node empty, and a node that has read a project as it was, still
// running it; neither the working directory nor the temporary folder keeps a trace.
TEST_F(NodeGraphNodeTest, RefusedReadsGiveTheirMessageAndLeaveEverythingAsItWas) {
    const fs::path temporary = UsePrivateTemporaryFolder();

    // x + params.gain on output "y".
    Builder good;
    DynamicNode* params = good.Attributes("params");
    params->AddNumberAttribute("gain", 1.5, 0, 10, 0.1, 2);
    good.Connect(params, "gain", good.Through("x", "y", 0), "b");
    NodeGraphNode* node = NodeReading(good.Write(Path("good.qmr")));
    ASSERT_EQ(node->GetNumOutplugs(), 1u);
    FeedNumber(node, "x", 2);
    Consumer(node, 0, "consumer");
    node->GetAttribute("gain")->SetNumber(4, false);
    Evaluate(node);
    EXPECT_EQ(node->GetNumberValue(0), 6);
    EXPECT_TRUE(fs::is_empty(temporary)) << "after a successful read";

    // How the reader refuses a damaged file is the host's own concern; these are the node's paths
    // to a refusal. `detail` is part of the full message.
    const std::string failed = "Failed to load XML project.";
    const std::string same_input =
        "The project has two or more input nodes or attributes with the same name.<br />" +
        Helper::GetWikiLink("Nodes_Project_Node_Graph.html", "Node Graph node");
    SandboxTest::WriteText(Path("plain.qmr"), "not a container");
    const struct {
        const char* label;
        std::function<void(Builder&)> build;  // or the file at `path`
        std::string message;
        std::string path = "";
        std::string detail = "";
    } cases[] = {
        {"missing file", nullptr, failed, Path("missing.qmr")},
        {"not a container", nullptr, failed, Path("plain.qmr")},
        {"not XML", nullptr, failed,
         Builder::WriteContainer(Path("bad.qmr"), "<QuillmarProject major=\"1\""), "Project.xml"},
        // Refused after the read has changed the new graph.
        {"exposed attribute feeds an input",
         [](Builder& p) {
             DynamicNode* params = p.Attributes("params");
             params->AddNumberAttribute("gain", 1, 0, 2, 1, 0);
             Node* x = p.Io(Builder::kNumberIo, "x");
             p.Feed(params, "gain", x);
             p.Feed(x, "number", p.Io(Builder::kNumberIo, "y"));
         },
         "The IO Nodes on this project are not clearly identified as input or output."},
        {"same attribute name in two Attributes nodes",
         [](Builder& p) {
             p.Attributes("first")->AddNumberAttribute("gain", 1, 0, 2, 1, 0);
             p.Attributes("second")->AddBooleanAttribute("gain", true);
             p.Through("x", "y");
         },
         "Duplicated attribute name has already been used."},
        {"unnamed Writers only",
         [](Builder& p) { p.Feed(p.Add(Builder::kSolid), "image", p.Add(Builder::kWriter)); },
         "The project has some Writer nodes without a name. Rename these nodes and load the "
         "project again."},
        {"nothing to expose", [](Builder& p) { p.Add(Builder::kNumber, "n"); },
         "The project doesn't have any IO Nodes."},
        {"inputs only",
         [](Builder& p) {
             p.Connect(p.Io(Builder::kNumberIo, "x"), "number", p.Math("add", 0, 1), "a");
         },
         "The project doesn't have any IO Output Nodes."},
        {"attribute names differing in case",
         [](Builder& p) {
             p.Attributes("params")->AddNumberAttribute("Gain", 1, 0, 2, 1, 0);
             p.Attributes("more")->AddNumberAttribute("gain", 1, 0, 2, 1, 0);
             p.Through("x", "y");
         },
         "The project has two or more attributes with the same name."},
        {"input named like an attribute",
         [](Builder& p) {
             p.Attributes("params")->AddNumberAttribute("size", 1, 0, 2, 1, 0);
             p.Through("Size", "size");
         },
         same_input},
        {"two inputs differing in case",
         [](Builder& p) {
             p.Through("a", "y");
             p.Through("A", "z");
         },
         same_input},
        {"outputs differing in case",
         [](Builder& p) {
             p.Through("a", "out");
             p.Through("b", "OUT");
         },
         "The project has two or more output nodes with the same name."},
        {"two unnamed outputs",
         [](Builder& p) {
             p.Through("a", "");
             p.Through("b", "");
         },
         "The project has two or more output nodes with the same name."},
    };
    const std::vector<std::string> before = Describe(*node);
    NodeGraph* inner = node->GetInnerGraph();
    const std::vector<IoNode*> inputs = node->GetInputNodes();
    const std::vector<IoNode*> outputs = node->GetOutputNodes();
    const fs::path working_directory = fs::current_path();
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Builder project;
        if (c.build) {
            c.build(project);
        }
        const std::string path =
            c.build ? project.Write(Path("refused" + std::to_string(index++) + ".qmr")) : c.path;
        NodeGraphNode* fresh = NewNode("fresh");
        // Refused files are never kept: the second read is refused the same way.
        for (NodeGraphNode* reading : {fresh, node, node}) {
            const Status status = reading->ReadProject(path);
            EXPECT_EQ(status.GetCode(), 2);
            EXPECT_EQ(status.GetMessage(), c.message);
            EXPECT_NE(status.GetFullMessage().find(c.detail), std::string::npos)
                << status.GetFullMessage();
            EXPECT_TRUE(fs::current_path() == working_directory && fs::is_empty(temporary));
        }
        EXPECT_TRUE(fresh->GetNumAttributes() == 2 && fresh->GetNumOutplugs() == 0 &&
                    !fresh->GetInnerGraph());
        EXPECT_EQ(Describe(*node), before);
        EXPECT_TRUE(node->GetInnerGraph() == inner && node->GetInputNodes() == inputs &&
                    node->GetOutputNodes() == outputs);
        Evaluate(node);
        EXPECT_EQ(node->GetNumberValue(0), 6);
    }
}

TEST_F(NodeGraphNodeTest, InterfaceComesFromIoAttributesAndWriterNodes) {
    Builder project;
    // "seed" and the private Attributes node only feed inputs: both are dropped with the read.
    Node* x = project.Io(Builder::kNumberIo, "x");
    project.Feed(project.Add(Builder::kNumber, "seed", "value", 100), "number", x);
    DynamicNode* hidden = project.Attributes("PrIvAtE");
    hidden->AddNumberAttribute("gain", 50, 0, 100, 1, 0);
    Node* y = project.Io(Builder::kNumberIo, "y");
    project.Feed(hidden, "gain", y);
    project.Attributes("params")->AddNumberAttribute("gain", 2, 0, 10, 1, 0);
    Node* sum = project.Math("add", 0, 0, "sum");
    project.Connect(x, "number", sum, "a");
    project.Connect(y, "number", sum, "b");
    project.Feed(sum, "number", project.Io(Builder::kNumberIo, ""));
    project.Feed(sum, "number", project.Io(Builder::kNumberIo, "X"));
    project.Io(Builder::kPointIo, "");
    // Writers count only when there is no output IO node.
    project.Feed(project.Add(Builder::kSolid), "image", project.Add(Builder::kWriter, "ignored"));

    NodeGraphNode* node = NodeReading(project.Write(Path("interface.qmr")));
    EXPECT_EQ(Values(*node), "path=" + Path("interface.qmr") + " iterations=1 gain=2");
    ASSERT_EQ(node->GetNumInplugs(), 5u);
    EXPECT_TRUE(node->GetInplugName(3) == "x" && node->GetInplugName(4) == "y");
    EXPECT_EQ(node->GetInplugValueType(3), Node::Value::Number);
    ASSERT_EQ(node->GetNumOutplugs(), 2u);
    EXPECT_TRUE(node->GetOutplugName(0) == "number" && node->GetOutplugName(1) == "X");
    NodeGraph* inner = node->GetInnerGraph();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->FindNode("seed"), nullptr);
    EXPECT_EQ(inner->FindNode("PrIvAtE"), nullptr);
    ASSERT_NE(inner->FindNode("point"), nullptr) << "an unconnected IO node is still named";
    EXPECT_EQ(inner->FindNode("point")->GetNodeType(), Builder::kPointIo);

    FeedNumber(node, "x", 3);
    FeedNumber(node, "y", 4);
    Evaluate(node, 1);
    EXPECT_EQ(node->GetNumberValue(0), 7);
    EXPECT_EQ(node->GetNumberValue(1), 7);

    Builder writers;
    const struct {
        const char* name;
        double width;
    } solids[] = {{"beauty", 3}, {"", 4}, {"mask", 5}};
    for (const auto& solid : solids) {
        writers.Feed(writers.Add(Builder::kSolid, "", "width", solid.width), "image",
                     writers.Add(Builder::kWriter, solid.name));
    }
    NodeGraphNode* rendered = NodeReading(writers.Write(Path("writers.qmr")));
    ASSERT_EQ(rendered->GetNumOutplugs(), 2u);
    EXPECT_TRUE(rendered->GetOutplugName(0) == "beauty" && rendered->GetOutplugName(1) == "mask");
    EXPECT_EQ(rendered->GetOutplugValueType(1), Node::Value::Image);
    Evaluate(rendered);
    for (uint32_t j : {0u, 1u}) {
        const Image* image = rendered->GetImageValue(j);
        ASSERT_NE(image, nullptr) << j;
        EXPECT_EQ(image->GetWidth(), j == 0 ? 3u : 5u);
    }
}

TEST_F(NodeGraphNodeTest, ReReadingKeepsConnectionsAndValuesThatStillFit) {
    const std::string path = Path("project.qmr");
    Builder first;
    DynamicNode* params = first.Attributes("params");
    params->AddNumberAttribute("gain", 1, 0, 10, 1, 0);
    params->AddNumberAttribute("offset", 0, -10, 10, 1, 0);
    params->AddStringAttribute("label", "");
    Node* sum = first.Math("add", 0, 0);
    first.Connect(first.Io(Builder::kNumberIo, "a"), "number", sum, "a");
    first.Connect(first.Io(Builder::kNumberIo, "b"), "number", sum, "b");
    first.Feed(sum, "number", first.Io(Builder::kNumberIo, "sum"));
    first.Feed(sum, "number", first.Io(Builder::kNumberIo, "copy"));
    first.Write(path);

    NodeGraphNode* node = NodeReading(path);
    ASSERT_EQ(node->GetNumOutplugs(), 2u);
    FeedNumber(node, "a", 3);
    FeedNumber(node, "b", 4);
    Node* count = FeedNumber(node, "iterations", 1);
    FeedNumber(node, "offset", 5);
    FeedNumber(node, "gain", 6);
    Node* uses_sum = Consumer(node, 0, "uses_sum");
    Node* uses_copy = Consumer(node, 1, "uses_copy");
    node->GetAttribute("offset")->SetNumber(-2, false);
    node->GetAttribute("gain")->SetNumber(7, false);
    node->GetAttribute("label")->SetString("kept", false);

    // gain turns into a point, b into a Point IO input, "copy" goes away, "c" comes in.
    Builder second;
    params = second.Attributes("params");
    params->AddPointAttribute("gain", {0.5, 0.25}, 0, 1, 0.1, 2);
    params->AddNumberAttribute("offset", 0, -10, 10, 1, 0);
    params->AddStringAttribute("label", "new");
    params->AddNumberAttribute("extra", 8, 0, 10, 1, 0);
    sum = second.Math("add", 0, 0);
    second.Connect(second.Io(Builder::kNumberIo, "a"), "number", sum, "a");
    second.Connect(second.Io(Builder::kNumberIo, "c"), "number", sum, "b");
    second.Feed(second.Io(Builder::kPointIo, "b"), "point", second.Io(Builder::kPointIo, "where"));
    Node* loop = second.Add(Builder::kLoopIterations, "loop");
    Node* total = second.Math("add", 0, 0);
    second.Connect(sum, "number", total, "a");
    second.Connect(loop, "iterations", total, "b");
    second.Feed(total, "number", second.Io(Builder::kNumberIo, "sum"));
    second.Write(path);

    ASSERT_EQ(node->ReadProject(path).GetCode(), 0);
    EXPECT_EQ(Values(*node),
              "path=" + path + " iterations=1 gain=0.5,0.25 offset=-2 label=kept extra=8");
    // A number no longer fits "gain" and "b".
    std::string sources;
    for (const char* inplug : {"a", "iterations", "offset", "gain", "b", "c"}) {
        const uint32_t id = node->FindInplug(inplug);
        const Node* source = id == Node::kNone ? nullptr : node->GetInplugNode(id);
        sources += std::string(inplug) + "=" + (source ? source->GetName() : "-") + " ";
    }
    EXPECT_EQ(sources,
              "a=a_source iterations=iterations_source offset=offset_source gain=- b=- c=- ");
    ASSERT_EQ(node->GetNumOutplugs(), 2u);
    EXPECT_TRUE(node->GetOutplugName(0) == "where" && node->GetOutplugName(1) == "sum");
    const uint32_t a_plug = uses_sum->FindInplug("a");
    EXPECT_TRUE(uses_sum->GetInplugNode(a_plug) == node &&
                uses_sum->GetInplugNodeOutplug(a_plug) == 1)
        << "follows the name to its new index";
    EXPECT_EQ(uses_copy->GetInplugNode(a_plug), nullptr);

    // The new project runs, with its Loop Iterations node; it keeps running after a failed read.
    FeedNumber(node, "c", 10);
    count->GetAttribute("value")->SetNumber(2, false);
    for (const std::string& reread : {path, Path("missing.qmr")}) {
        SCOPED_TRACE(reread);
        EXPECT_EQ(node->ReadProject(reread).GetCode(), reread == path ? 0 : 2);
        Evaluate(node);
        EXPECT_EQ(node->GetNumberValue(1), 3 + 10 + 2);
    }
}

// The examples run a project nested by a relative path; here the nesting comes back to itself.
TEST_F(NodeGraphNodeTest, ProjectsThatIncludeThemselvesAreRefused) {
    // The projects are written from their own folder, as nested paths are relative to it.
    const fs::path projects = m_folder / "projects";
    fs::create_directory(projects);
    fs::current_path(projects);
    Builder inner;
    inner.Through("x", "y");
    inner.Write("inner.qmr");
    // x -> a Node Graph node reading `nested_path` -> y, plus an output of its own.
    const auto write_outer = [&](const std::string& path, const std::string& nested_path) {
        Builder outer;
        auto* nested = new NodeGraphNode;
        nested->SetName("nested");
        EXPECT_TRUE(outer.Graph().AddNode(nested));
        EXPECT_EQ(nested->ReadProject(nested_path).GetCode(), 0);
        outer.Connect(outer.Io(Builder::kNumberIo, "x"), "number", nested, "x");
        outer.Feed(nested, "y", outer.Io(Builder::kNumberIo, "y"));
        outer.Feed(outer.Add(Builder::kNumber, "one", "value", 1), "number",
                   outer.Io(Builder::kNumberIo, "own"));
        return outer.Write(path);
    };
    // a.qmr holds itself; b.qmr holds c.qmr, which holds b.qmr. Each was written while the file
    // it names was still an ordinary project.
    write_outer("a.qmr", "inner.qmr");
    write_outer("a.qmr", "a.qmr");
    write_outer("b.qmr", "inner.qmr");
    write_outer("c.qmr", "b.qmr");
    write_outer("b.qmr", "c.qmr");
    fs::current_path(m_folder);
    for (const char* name : {"a.qmr", "b.qmr", "c.qmr"}) {
        SCOPED_TRACE(name);
        NodeGraphNode* looping = NewNode();
        const Status status = looping->ReadProject((projects / name).string());
        EXPECT_EQ(status.GetCode(), 2);
        EXPECT_NE(status.GetMessage().find("includes itself"), std::string::npos)
            << status.GetMessage();
        // The copy of a.qmr inside a.qmr was refused: it has no plugs.
        const NodeGraph* graph = looping->GetInnerGraph();
        if (graph && name == std::string("a.qmr")) {
            ASSERT_NE(graph->FindNode("nested"), nullptr);
            EXPECT_EQ(graph->FindNode("nested")->GetNumOutplugs(), 0u);
        }
    }
}

}  // namespace
