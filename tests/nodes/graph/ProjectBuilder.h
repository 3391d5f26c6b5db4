#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/Container.h"
#include "host/DynamicNode.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "host/Rgbo.h"

// Builds a project out of registry nodes (the plug-in's and the host's standard ones), as an
// author would in the editor, and writes it as a project file. Failures are reported as test
// failures where they happen, so that a test reads as the project it describes.
class ProjectBuilder {
public:
    static inline const NodeType kAttributes{10, 1, 0};
    static inline const NodeType kNodeGraph{10, 1, 5};
    static inline const NodeType kLoopIterations{10, 1, 10};
    static inline const NodeType kNumberIo{10, 1, 26};
    static inline const NodeType kPointIo{10, 1, 32};
    static inline const NodeType kFrameIo{10, 1, 37};
    static inline const NodeType kImageIo{10, 1, 53};
    static inline const NodeType kMaterialIo{10, 1, 69};
    static inline const NodeType kNumber{10, 2, 0};
    static inline const NodeType kMath{10, 2, 1};
    static inline const NodeType kPoint{10, 2, 2};
    static inline const NodeType kFrame{10, 2, 3};
    static inline const NodeType kSolid{10, 3, 0};
    static inline const NodeType kBlend{10, 3, 3};
    static inline const NodeType kMaterial{10, 4, 0};
    static inline const NodeType kWriter{10, 16, 0};

    ProjectBuilder() : m_graph(new NodeGraph) {
        PluginLoader::Get().LoadDefault();
        EXPECT_TRUE(PluginLoader::Get().GetErrors().empty());
    }

    NodeGraph& Graph() { return *m_graph; }

    Node* Add(const NodeType& type, const std::string& name = "") {
        Node* node = m_graph->CreateNode(type);
        EXPECT_NE(node, nullptr) << "type " << type.ToString();
        if (node) {
            node->SetName(name);
        }
        return node;
    }

    // A standard node with one number attribute set, e.g. Number(value).
    Node* Add(const NodeType& type, const std::string& name, const std::string& attribute,
              double value) {
        Node* node = Add(type, name);
        if (node) {
            SetNumber(node, attribute, value);
        }
        return node;
    }

    // Math node computing a <operation> b from its attributes.
    Node* Math(const std::string& operation, double a, double b, const std::string& name = "") {
        Node* node = Add(kMath, name);
        if (node) {
            EXPECT_TRUE(node->GetAttribute("operation")->SetChoice(operation, false)) << operation;
            SetNumber(node, "a", a);
            SetNumber(node, "b", b);
        }
        return node;
    }

    // An IO node with its loop action.
    Node* Io(const NodeType& type, const std::string& name, const std::string& loop_action = "") {
        Node* node = Add(type, name);
        if (node && !loop_action.empty()) {
            EXPECT_TRUE(node->GetAttribute("loop_action")->SetChoice(loop_action, false))
                << loop_action;
        }
        return node;
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
        Node* falling = Line(loop, low - first, 2 * first - low);
        Node* rising = Line(loop, last - low, 3 * low - 2 * last);
        Node* larger = Math("maximum", 0, 0);
        Connect(falling, "number", larger, "a");
        Connect(rising, "number", larger, "b");
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

    // Writes the project to `path` and returns the path.
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
