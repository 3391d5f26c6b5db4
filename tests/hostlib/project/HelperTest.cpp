#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "RecordingNode.h"
#include "TestNodeFactory.h"
#include "host/Engine.h"
#include "host/Helper.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

namespace {

TEST(HelperTest, RelativePathsFollowTheProjectThatHoldsTheNode) {
    ASSERT_TRUE(TestNodeFactory<RecordingNode>::Register());
    RefPtr<NodeGraph> graph = new NodeGraph();
    graph->SetFilePath("/projects/a/main.qmr");
    Node* node = graph->CreateNode(RecordingNode::Type());
    EXPECT_EQ(Helper::MakeProjectAbsolute(node, "images/x.png"), "/projects/a/images/x.png");
    EXPECT_EQ(Helper::MakeProjectAbsolute(node, "/elsewhere/x.png"), "/elsewhere/x.png");
    EXPECT_EQ(Helper::MakeProjectAbsolute(nullptr, "/elsewhere/x.png"), "/elsewhere/x.png");

    // Without a project file of its own, a node's paths follow the open document.
    const RefPtr<NodeGraph> saved_document = Engine::Get()->GetDocument();
    RefPtr<NodeGraph> document = new NodeGraph();
    document->SetFilePath("/documents/doc.qmr");
    Engine::Get()->SetDocument(document.Get());
    RefPtr<Node> loose = new RecordingNode();
    RefPtr<NodeGraph> unsaved = new NodeGraph();
    Node* in_unsaved = unsaved->CreateNode(RecordingNode::Type());
    EXPECT_EQ(Helper::MakeProjectAbsolute(loose.Get(), "x.png"), "/documents/x.png");
    EXPECT_EQ(Helper::MakeProjectAbsolute(in_unsaved, "x.png"), "/documents/x.png");
    EXPECT_EQ(Helper::MakeProjectAbsolute(nullptr, "sub/x.png"), "/documents/sub/x.png");
    EXPECT_EQ(Helper::MakeProjectAbsolute(node, "x.png"), "/projects/a/x.png");

    // And without any project file, the working directory.
    Engine::Get()->SetDocument(nullptr);
    EXPECT_EQ(Helper::MakeProjectAbsolute(loose.Get(), "x.png"),
              (std::filesystem::current_path() / "x.png").string());
    Engine::Get()->SetDocument(saved_document.Get());
}

}  // namespace
