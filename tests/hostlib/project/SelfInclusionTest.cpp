#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "NestingNode.h"
#include "RecordingNode.h"
#include "TestFolder.h"
#include "TestNodeFactory.h"
#include "host/Attribute.h"
#include "host/NodeGraph.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"

namespace fs = std::filesystem;

namespace {

class SelfInclusionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestNodeFactory<RecordingNode>::Register());
        ASSERT_TRUE(TestNodeFactory<NestingNode>::Register());
        NestingNode::s_num_reads = 0;
        m_working_directory = fs::current_path();
    }
    void TearDown() override { EXPECT_EQ(fs::current_path(), m_working_directory); }

    // Writes a project with a recording node and one nesting node per nested path.
    fs::path WriteProject(const std::string& name, const std::vector<std::string>& nested) {
        RefPtr<NodeGraph> graph = new NodeGraph();
        graph->CreateNode(RecordingNode::Type());
        for (const std::string& path : nested) {
            graph->CreateNode(NestingNode::Type())->GetAttribute("path")->SetString(path, false);
        }
        const fs::path file = m_folder.GetPath() / name;
        EXPECT_EQ(ProjectFile::Write(*graph, file.string()).GetCode(), 0);
        return file;
    }

    static NestingNode* Nesting(const NodeGraph& graph, size_t index) {
        return dynamic_cast<NestingNode*>(graph.GetNode(index));
    }

    TestFolder m_folder;
    fs::path m_working_directory;
};

TEST_F(SelfInclusionTest, ProjectIncludingItselfDirectlyIsRefused) {
    const fs::path path = WriteProject("self.qmr", {"./self.qmr"});
    fs::create_symlink(path, m_folder.GetPath() / "alias.qmr");
    const std::string message = "The project includes itself: self.qmr.";

    for (const fs::path& opened : {path, m_folder.GetPath() / "alias.qmr"}) {
        SCOPED_TRACE(opened.string());
        NestingNode::s_num_reads = 0;
        RefPtr<NodeGraph> graph = new NodeGraph();
        const Status status = ProjectFile::Read(opened.string(), *graph);
        EXPECT_EQ(status.GetCode(), 2);
        EXPECT_EQ(status.GetMessage(), message);
        ASSERT_EQ(graph->GetNumNodes(), 2u);
        NestingNode* nesting = Nesting(*graph, 1);
        ASSERT_NE(nesting, nullptr);
        EXPECT_EQ(nesting->m_inner_status.GetCode(), 2);
        EXPECT_EQ(nesting->m_inner_status.GetMessage(), message);
        EXPECT_EQ(nesting->m_inner_graph->GetNumNodes(), 0u);
        EXPECT_EQ(NestingNode::s_num_reads, 1);
    }
}

TEST_F(SelfInclusionTest, ProjectIncludingItselfThroughAnotherIsRefusedByEveryRead) {
    WriteProject("a.qmr", {"b.qmr"});
    WriteProject("b.qmr", {"a.qmr"});
    RefPtr<NodeGraph> graph = new NodeGraph();
    const Status status = ProjectFile::Read((m_folder.GetPath() / "a.qmr").string(), *graph);
    const std::string message = "The project includes itself: a.qmr.";
    EXPECT_EQ(status.GetCode(), 2);
    EXPECT_EQ(status.GetMessage(), message);
    EXPECT_EQ(NestingNode::s_num_reads, 2);

    NestingNode* to_b = Nesting(*graph, 1);
    ASSERT_NE(to_b, nullptr);
    EXPECT_EQ(to_b->m_inner_status.GetCode(), 2);
    EXPECT_EQ(to_b->m_inner_status.GetMessage(), message);
    ASSERT_EQ(to_b->m_inner_graph->GetNumNodes(), 2u);
    NestingNode* back_to_a = Nesting(*to_b->m_inner_graph, 1);
    ASSERT_NE(back_to_a, nullptr);
    EXPECT_EQ(back_to_a->m_inner_status.GetMessage(), message);
    EXPECT_EQ(back_to_a->m_inner_graph->GetNumNodes(), 0u);
}

TEST_F(SelfInclusionTest, ProjectIncludedTwiceWithoutACycleIsRead) {
    // A refused read before must leave nothing behind that refuses the next ones.
    WriteProject("loop.qmr", {"loop.qmr"});
    RefPtr<NodeGraph> refused = new NodeGraph();
    ASSERT_EQ(ProjectFile::Read((m_folder.GetPath() / "loop.qmr").string(), *refused).GetCode(), 2);

    WriteProject("leaf.qmr", {});
    WriteProject("middle.qmr", {"leaf.qmr"});
    WriteProject("top.qmr", {"middle.qmr", "leaf.qmr", "middle.qmr"});
    NestingNode::s_num_reads = 0;
    RefPtr<NodeGraph> graph = new NodeGraph();
    const Status status = ProjectFile::Read((m_folder.GetPath() / "top.qmr").string(), *graph);
    EXPECT_EQ(status.GetCode(), 0) << status.GetMessage();
    EXPECT_EQ(NestingNode::s_num_reads, 5);
    ASSERT_EQ(graph->GetNumNodes(), 4u);
    for (size_t index = 1; index < 4; ++index) {
        EXPECT_EQ(Nesting(*graph, index)->m_inner_status.GetCode(), 0);
    }
    EXPECT_EQ(Nesting(*graph, 2)->m_inner_graph->GetNumNodes(), 1u);
    EXPECT_EQ(Nesting(*Nesting(*graph, 3)->m_inner_graph, 1)->m_inner_graph->GetNumNodes(), 1u);
}

}  // namespace
