#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/RefPtr.h"
#include "nodes/graph/NodeGraphNode.h"
#include "tests/hostlib/project/SandboxTest.h"
#include "tests/nodes/graph/ProjectBuilder.h"

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
            if (m_saved_tmpdir->empty()) {
                unsetenv("TMPDIR");
            } else {
                setenv("TMPDIR", m_saved_tmpdir->c_str(), 1);
            }
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

    // A new node that has read the project at `path` successfully.
    NodeGraphNode* NodeReading(const std::string& path) {
        NodeGraphNode* node = NewNode();
        const Status status = node->ReadProject(path);
        EXPECT_EQ(status.GetCode(), 0) << path << ": " << status.GetMessage();
        return node;
    }

    // A standard node of the document with one number attribute set.
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
