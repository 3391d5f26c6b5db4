#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/EvaluateNodeOutplugs.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/NodeTypeRegistry.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/ProjectTypeLibrary.h"
#include "tests/hostlib/project/SandboxTest.h"

namespace {

const NodeType kNumberType(10, 2, 0);
const NodeType kNumberIoType(10, 1, 26);

// A project whose one output, "gain", gives `value`.
void WriteGainProject(const std::filesystem::path& path, double value) {
    NodeGraph graph;
    Node* number = graph.CreateNode(kNumberType);
    Node* output = graph.CreateNode(kNumberIoType);
    ASSERT_TRUE(number && output);
    number->GetAttribute("value")->SetNumber(value, false);
    output->SetName("gain");
    ASSERT_TRUE(graph.ConnectNodes(number, "number", 0, output, "number", 0));
    ASSERT_TRUE(ProjectFile::Write(graph, path.string()).IsOk());
}

double Evaluate(Node& node) {
    EvaluateNodeOutplugs({{&node, 0, false}}).EvaluateAll();
    return node.GetNumberValue(0);
}

using ProjectTypeLibraryTest = SandboxTest;

TEST_F(ProjectTypeLibraryTest, RegistersReadableProjectsAsTypesThatDocumentsKeep) {
    PluginLoader::Get().LoadDefault();
    const std::filesystem::path library = m_folder / "library";
    std::filesystem::create_directory(library);
    WriteGainProject(library / "Gain.qmr", 2.5);
    WriteText(library / "Broken.qmr", "not a container");
    WriteText(library / "notes.txt", "not a project file at all");

    const std::vector<std::string> errors =
        ProjectTypeLibrary::LoadDirectories({library.string(), (m_folder / "missing").string()});
    // The unreadable folder is reported while listing, before any file is read.
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("missing"), std::string::npos) << errors[0];
    EXPECT_TRUE(errors[1].find("Broken.qmr") != std::string::npos &&
                errors[1].find("Failed to load XML project.") != std::string::npos)
        << errors[1];
    EXPECT_FALSE(NodeTypeRegistry::Get().Find(ProjectTypeLibrary::TypeForName("Broken")));

    const NodeType type = ProjectTypeLibrary::TypeForName("Gain");
    EXPECT_NE(type, ProjectTypeLibrary::TypeForName("gain"));
    NodeGraph document;
    document.SetFilePath((m_folder / "document.qmr").string());
    Node* node = document.CreateNode(type);
    ASSERT_TRUE(node && node->GetNumOutplugs() == 1);
    EXPECT_EQ(node->GetNumFileReferences(), 0u);
    EXPECT_EQ(node->GetOutplugName(0), "gain");
    EXPECT_EQ(Evaluate(*node), 2.5);

    ASSERT_TRUE(ProjectFile::Write(document, document.GetFilePath()).IsOk());
    NodeGraph read;
    const Status status = ProjectFile::Read(document.GetFilePath(), read);
    EXPECT_TRUE(status.IsOk()) << status.GetMessage();
    ASSERT_EQ(read.GetNumNodes(), 1u);
    EXPECT_EQ(Evaluate(*read.GetNode(0)), 2.5);

    // The name is taken now: a second folder with the same file name is refused.
    const std::filesystem::path other = m_folder / "other";
    std::filesystem::create_directory(other);
    WriteGainProject(other / "Gain.qmr", 7.0);
    const std::vector<std::string> again = ProjectTypeLibrary::LoadDirectories({other.string()});
    EXPECT_TRUE(again.size() == 1 && again[0].find("Gain.qmr") != std::string::npos);
    EXPECT_EQ(NodeTypeRegistry::Get().Find(type)->m_source, (library / "Gain.qmr").string());
}

}  // namespace
