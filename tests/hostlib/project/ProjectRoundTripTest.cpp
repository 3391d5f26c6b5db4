#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingNode.h"
#include "TestFolder.h"
#include "TestNodeFactory.h"
#include "host/Attribute.h"
#include "host/NodeGraph.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"

namespace fs = std::filesystem;

namespace {

RecordingNode* AddRecording(NodeGraph& graph, const std::string& name) {
    auto* node = static_cast<RecordingNode*>(graph.CreateNode(RecordingNode::Type()));
    if (node) {
        node->SetName(name);
    }
    return node;
}

// Everything a save must keep, numbers to the last bit.
std::string Describe(const NodeGraph& graph) {
    std::ostringstream text;
    text << std::hexfloat;
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        const Node& node = *graph.GetNode(index);
        text << "node " << node.GetNodeType().ToString() << " '" << node.GetName() << "' active "
             << node.IsActive() << '\n';
        for (size_t a = 0; a < node.GetNumAttributes(); ++a) {
            const Attribute& attribute = *node.GetAttributeByIndex(a);
            const Frame frame = attribute.GetFrame();
            text << "  " << attribute.GetName() << ' ' << attribute.GetTypeName() << " '"
                 << attribute.GetValueText() << "' " << frame.x << ' ' << frame.y << ' '
                 << frame.width << ' ' << frame.height << '\n';
        }
        for (uint32_t inplug = 0; inplug < node.GetNumInplugs(); ++inplug) {
            text << "  inplug " << node.GetInplugName(inplug);
            if (const Node* source = node.GetInplugNode(inplug)) {
                text << " from " << graph.IndexOf(source) << ':'
                     << node.GetInplugNodeOutplug(inplug);
            }
            text << '\n';
        }
    }
    return text.str();
}

int g_num_connections_reported = 0;

void CountConnection(Node* from, Node* to) {
    if (from && to) {
        ++g_num_connections_reported;
    }
}

class ProjectRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestNodeFactory<RecordingNode>::Register());
        m_graph = new NodeGraph();
        m_first = AddRecording(*m_graph, "first");
        m_second = AddRecording(*m_graph, "second");
        m_third = AddRecording(*m_graph, "");
        ASSERT_TRUE(m_first && m_second && m_third);

        m_first->SetActive(false);
        m_first->GetAttribute("flag")->SetBoolean(true, false);
        m_first->GetAttribute("gain")->SetNumber(0.1 + 0.2, false);
        m_first->GetAttribute("offset")->SetPoint({1.5, -2.25}, false);
        m_first->GetAttribute("area")->SetFrame({0.125, 1e-300, 3, -4e20}, false);
        m_first->GetAttribute("tint")->SetRgbo({0.2, 0.4, 0.6, 0.8}, false);
        ASSERT_TRUE(m_first->GetAttribute("mode")->SetChoice("screen", false));
        m_first->GetAttribute("label")->SetString(" a \"quoted\" <b>&amp;</b>\n\ttabbed 'é' ",
                                                  false);
        m_first->AddExtra("extra_a");
        m_first->GetAttribute("extra_a")->SetNumber(42.5, false);
        m_second->m_version = 3;
        m_second->GetAttribute("gain")->SetNumber(-1.0 / 3.0, false);

        // Same-named plugs on both ends, and the expanding input grown to three plugs.
        ASSERT_TRUE(m_graph->ConnectNodes(m_first, "out", 1, m_second, "in", 1));
        ASSERT_TRUE(m_graph->ConnectNodes(m_first, "out", 0, m_second, "in", 0));
        ASSERT_TRUE(m_graph->ConnectNodes(m_first, "out", 1, m_second, "layer", 0));
        ASSERT_TRUE(m_graph->ConnectNodes(m_first, "out", 0, m_second, "layer", 1));
        ASSERT_TRUE(m_graph->ConnectNodes(m_second, "out", 1, m_third, "gain", 0));
        ASSERT_TRUE(m_graph->ConnectNodes(m_second, "text", 0, m_third, "label", 0));
        ASSERT_EQ(m_second->FindInplug("layer", 2), m_second->GetNumInplugs() - 1);
    }

    TestFolder m_folder;
    RefPtr<NodeGraph> m_graph;
    RecordingNode* m_first = nullptr;
    RecordingNode* m_second = nullptr;
    RecordingNode* m_third = nullptr;
};

TEST_F(ProjectRoundTripTest, DocumentWrittenAndReadBackIsTheSameGraph) {
    const fs::path path = m_folder.GetPath() / "graph.qmr";
    const Status written = ProjectFile::Write(*m_graph, path.string());
    ASSERT_EQ(written.GetCode(), 0) << written.GetMessage();

    const fs::path working_directory = fs::current_path();
    RefPtr<NodeGraph> read = new NodeGraph();
    const Status status = ProjectFile::Read(path.string(), *read);
    EXPECT_EQ(fs::current_path(), working_directory);
    EXPECT_EQ(status.GetCode(), 0) << status.GetMessage();
    EXPECT_EQ(status.GetMessage(), "");
    EXPECT_EQ(Describe(*read), Describe(*m_graph));
    EXPECT_EQ(fs::path(read->GetFilePath()), path);

    auto* first = static_cast<RecordingNode*>(read->GetNode(0));
    auto* second = static_cast<RecordingNode*>(read->GetNode(1));
    // The side file came back before the values were applied and before PostLoad.
    EXPECT_EQ(first->GetAttribute("extra_a")->GetNumber(), 42.5);
    EXPECT_TRUE(first->GetRecords().empty());
    EXPECT_EQ(first->m_attributes_at_post_load, 8u);
    EXPECT_EQ(first->m_loaded_version, 0u);
    EXPECT_EQ(second->m_loaded_version, 3u);

    // Writing again over the file gives a file that reads back the same.
    ASSERT_EQ(ProjectFile::Write(*read, path.string()).GetCode(), 0);
    RefPtr<NodeGraph> again = new NodeGraph();
    EXPECT_EQ(ProjectFile::Read(path.string(), *again).GetCode(), 0);
    EXPECT_EQ(Describe(*again), Describe(*m_graph));
}

TEST_F(ProjectRoundTripTest, GraphReadAndWriteInAFolder) {
    std::vector<std::string> files;
    const Status written = m_graph->ProjectWrite(m_folder.GetPath().string(), files);
    ASSERT_EQ(written.GetCode(), 0) << written.GetMessage();
    EXPECT_EQ(files, (std::vector<std::string>{"Project.xml", "node0_definitions.txt"}));

    const std::string xml = TestFolder::ReadText(m_folder.GetPath() / "Project.xml");
    EXPECT_NE(xml.find("<QuillmarProject major=\"1\" minor=\"0\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("definitions=\"node0_definitions.txt\""), std::string::npos);
    EXPECT_NE(xml.find("from_index=\"1\""), std::string::npos);
    EXPECT_NE(xml.find("to_index=\"1\""), std::string::npos);
    EXPECT_EQ(xml.find("_index=\"0\""), std::string::npos);
    EXPECT_EQ(xml.find("active="), xml.rfind("active=\"0\""));
    EXPECT_EQ(xml.find("version=", xml.find("<QuillmarProject")), xml.rfind("version=\"3\""));

    // Definitions are found relative to the working directory; any version is read.
    fs::current_path(m_folder.GetPath());
    TiXmlDocument document("Project.xml");
    ASSERT_TRUE(document.LoadFile());
    RefPtr<NodeGraph> read = new NodeGraph();
    g_num_connections_reported = 0;
    const Status status =
        read->ProjectRead(-4, 99, document.FirstChildElement("QuillmarProject"), &CountConnection);
    EXPECT_EQ(status.GetCode(), 0) << status.GetMessage();
    EXPECT_EQ(g_num_connections_reported, 6);
    EXPECT_EQ(Describe(*read), Describe(*m_graph));
}

TEST_F(ProjectRoundTripTest, FailedWriteKeepsTheExistingFile) {
    const fs::path path = m_folder.GetPath() / "graph.qmr";
    ASSERT_EQ(ProjectFile::Write(*m_graph, path.string()).GetCode(), 0);
    const std::string before = TestFolder::ReadText(path);

    m_first->m_lose_side_file = true;
    m_first->SetName("changed");
    const Status status = ProjectFile::Write(*m_graph, path.string());
    EXPECT_EQ(status.GetCode(), 2);
    EXPECT_NE(status.GetMessage().find("was not written"), std::string::npos)
        << status.GetMessage();
    EXPECT_EQ(TestFolder::ReadText(path), before);

    const Status unwritable =
        ProjectFile::Write(*m_graph, (m_folder.GetPath() / "absent" / "graph.qmr").string());
    EXPECT_EQ(unwritable.GetCode(), 2);
    EXPECT_FALSE(fs::exists(m_folder.GetPath() / "absent"));
}

}  // namespace
