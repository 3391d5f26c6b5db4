#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "host/Container.h"
#include "host/DynamicNode.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "nodes/graph/NodeGraphNode.h"
#include "tests/hostlib/project/SandboxTest.h"

// Builds a project out of registry nodes (the plug-in's and the host's standard ones), as an
// author would in the editor, and writes it as a project file. Failures are reported as test
// failures where they happen, so that a test reads as the project it describes.
class ProjectBuilder {
public:
    static inline const NodeType kAttributes{10, 1, 0}, kNodeGraph{10, 1, 5},
        kLoopIterations{10, 1, 10}, kNumberIo{10, 1, 26}, kPointIo{10, 1, 32}, kFrameIo{10, 1, 37},
        kImageIo{10, 1, 53}, kMaterialIo{10, 1, 69}, kNumber{10, 2, 0}, kMath{10, 2, 1},
        kPoint{10, 2, 2}, kFrame{10, 2, 3}, kSolid{10, 3, 0}, kBlend{10, 3, 3}, kMaterial{10, 4, 0},
        kWriter{10, 16, 0};

    ProjectBuilder() : m_graph(new NodeGraph) {
        PluginLoader::Get().LoadDefault();
        EXPECT_TRUE(PluginLoader::Get().GetErrors().empty());
    }

    NodeGraph& Graph() { return *m_graph; }

    // A node with one number attribute set when `attribute` is given.
    Node* Add(const NodeType& type, const std::string& name = "", const std::string& attribute = "",
              double value = 0) {
        Node* node = m_graph->CreateNode(type);
        EXPECT_NE(node, nullptr) << "type " << type.ToString();
        if (node) {
            node->SetName(name);
            if (!attribute.empty()) {
                SetNumber(node, attribute, value);
            }
        }
        return node;
    }

    Node* Math(const std::string& operation, double a, double b, const std::string& name = "") {
        Node* node = Add(kMath, name, "a", a);
        if (node) {
            EXPECT_TRUE(node->GetAttribute("operation")->SetChoice(operation, false)) << operation;
            SetNumber(node, "b", b);
        }
        return node;
    }

    Node* Io(const NodeType& type, const std::string& name, const std::string& loop_action = "") {
        Node* node = Add(type, name);
        if (node && !loop_action.empty()) {
            EXPECT_TRUE(node->GetAttribute("loop_action")->SetChoice(loop_action, false))
                << loop_action;
        }
        return node;
    }

    // Number input `input` + `step` on number output `output`; returns the Math node.
    Node* Through(const std::string& input, const std::string& output, double step = 1,
                  const std::string& loop_action = "") {
        Node* sum = Math("add", 0, step);
        Connect(Io(kNumberIo, input), "number", sum, "a");
        Feed(sum, "number", Io(kNumberIo, output, loop_action));
        return sum;
    }

    DynamicNode* Attributes(const std::string& name) {
        auto* node = dynamic_cast<DynamicNode*>(Add(kAttributes, name));
        EXPECT_NE(node, nullptr);
        return node;
    }

    void Connect(Node* from, const std::string& outplug, Node* to, const std::string& inplug) {
        ASSERT_TRUE(from && to);
        EXPECT_TRUE(m_graph->ConnectNodes(from, outplug, 0, to, inplug, 0))
            << from->GetName() << "." << outplug << " -> " << to->GetName() << "." << inplug;
    }

    // The value plug of an IO node shares its name with its outplug.
    void Feed(Node* from, const std::string& outplug, Node* io) {
        ASSERT_NE(io, nullptr);
        Connect(from, outplug, io, io->GetOutplugName(0));
    }

    // Numbers that fall and rise again over the runs 1, 2, 3 of a loop: `first`, `low`, `last`
    // with `low` below the other two, as the larger of two lines through the loop's run number.
    Node* Valley(Node* loop, double first, double low, double last) {
        Node* larger = Math("maximum", 0, 0);
        Connect(Line(loop, low - first, 2 * first - low), "number", larger, "a");
        Connect(Line(loop, last - low, 3 * low - 2 * last), "number", larger, "b");
        return larger;
    }

    // slope * run + offset.
    Node* Line(Node* loop, double slope, double offset) {
        Node* scaled = Math("multiply", 0, slope);
        Node* shifted = Math("add", 0, offset);
        Connect(loop, "iteration", scaled, "a");
        Connect(scaled, "number", shifted, "a");
        return shifted;
    }

    std::string Write(const std::string& path) {
        const Status status = ProjectFile::Write(*m_graph, path);
        EXPECT_LE(status.GetCode(), 1) << path << ": " << status.GetMessage();
        return path;
    }

    static void SetNumber(Node* node, const std::string& attribute, double value) {
        Attribute* found = node->GetAttribute(attribute);
        ASSERT_NE(found, nullptr) << attribute;
        found->SetNumber(value, false);
    }

    // A container holding only `project_xml` as "Project.xml", for projects the writer would
    // never produce.
    static std::string WriteContainer(const std::string& path, const std::string& project_xml) {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path() / "xml";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "Project.xml", std::ios::binary) << project_xml;
        std::string error;
        EXPECT_TRUE(CompressFiles(folder.string(), {"Project.xml"}, path, error)) << error;
        return path;
    }

private:
    RefPtr<NodeGraph> m_graph;
};

// A Node Graph node in a document of its own, run in a fresh current folder that holds the
// project files of the test.
class NodeGraphNodeTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        PluginLoader::Get().LoadDefault();
    }

    void TearDown() override {
        if (m_saved_tmpdir) {
            m_saved_tmpdir->empty() ? unsetenv("TMPDIR")
                                    : setenv("TMPDIR", m_saved_tmpdir->c_str(), 1);
        }
        SandboxTest::TearDown();
    }

    // Makes a new empty folder the system temporary folder until the test ends, so that other
    // test processes cannot add to it.
    std::filesystem::path UsePrivateTemporaryFolder() {
        const std::filesystem::path folder = m_folder / "tmp";
        std::filesystem::create_directory(folder);
        const char* previous = std::getenv("TMPDIR");
        m_saved_tmpdir = previous ? previous : "";
        setenv("TMPDIR", folder.c_str(), 1);
        return folder;
    }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    NodeGraphNode* NewNode(const std::string& name = "graph") {
        auto* node = new NodeGraphNode;
        node->SetName(name);
        EXPECT_TRUE(m_document->AddNode(node));
        return node;
    }

    NodeGraphNode* NodeReading(const std::string& path) {
        NodeGraphNode* node = NewNode();
        const Status status = node->ReadProject(path);
        EXPECT_EQ(status.GetCode(), 0) << path << ": " << status.GetMessage();
        return node;
    }

    Node* Outer(const NodeType& type, const std::string& name, const std::string& attribute,
                double value) {
        Node* node = m_document->CreateNode(type);
        EXPECT_NE(node, nullptr) << type.ToString();
        if (node) {
            node->SetName(name);
            ProjectBuilder::SetNumber(node, attribute, value);
        }
        return node;
    }

    // A Number node of the document feeding the node's inplug of that name.
    Node* FeedNumber(Node* node, const std::string& inplug, double value) {
        Node* number = Outer(ProjectBuilder::kNumber, inplug + "_source", "value", value);
        const uint32_t id = node->FindInplug(inplug);
        EXPECT_NE(id, Node::kNone) << inplug;
        EXPECT_TRUE(number && Engine::Get()->ConnectNodes(number, 0, node, id)) << inplug;
        return number;
    }

    // A Math node of the document reading the node's outplug `outplug` at its inplug "a".
    Node* Consumer(Node* node, uint32_t outplug, const std::string& name, double b = 0) {
        Node* consumer = Outer(ProjectBuilder::kMath, name, "b", b);
        EXPECT_TRUE(consumer && Engine::Get()->ConnectNodes(node, outplug, consumer,
                                                            consumer->FindInplug("a")));
        return consumer;
    }

    // The node's attributes as "name=value ...".
    static std::string Values(const Node& node) {
        std::string text;
        for (size_t i = 0; i < node.GetNumAttributes(); ++i) {
            const Attribute* attribute = node.GetAttributeByIndex(i);
            text += (i ? " " : "") + attribute->GetName() + "=" + attribute->GetValueText();
        }
        return text;
    }

    // Requests one outplug afresh; the node computes all of them.
    static void Evaluate(Node* node, uint32_t outplug = 0) {
        node->SetDirtyAllOutplugs();
        EvaluateNodeOutplugs evaluation({{node, outplug, false}});
        evaluation.EvaluateAll();
    }

    RefPtr<NodeGraph> m_document{new NodeGraph};
    // TMPDIR before UsePrivateTemporaryFolder; empty when it was unset.
    std::optional<std::string> m_saved_tmpdir;
};
