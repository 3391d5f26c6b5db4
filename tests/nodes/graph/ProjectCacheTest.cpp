#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/nodes/graph/NodeGraphNodeTest.h"

namespace {

namespace fs = std::filesystem;
using Builder = ProjectBuilder;

class ProjectCacheTest : public NodeGraphNodeTest {
protected:
    // x + step on "y".
    static void WriteLeaf(const std::string& path, double step) {
        Builder leaf;
        leaf.Through("x", "y", step);
        leaf.Write(path);
    }

    // (two nodes running `nested` on x, added) * params.gain on "y"; the Attributes node keeps
    // its definitions in a side file of the container.
    static void WriteFork(const std::string& path, const std::string& nested) {
        Builder fork;
        Node* sum = fork.Math("add", 0, 0);
        Node* x = fork.Io(Builder::kNumberIo, "x");
        for (const char* input : {"a", "b"}) {
            auto* node = new NodeGraphNode;
            node->SetName(std::string("run_") + input);
            EXPECT_TRUE(fork.Graph().AddNode(node));
            EXPECT_EQ(node->ReadProject(nested).GetCode(), 0);
            fork.Connect(x, "number", node, "x");
            fork.Connect(node, "y", sum, input);
        }
        DynamicNode* params = fork.Attributes("params");
        params->AddNumberAttribute("gain", 1, 0, 10, 1, 0);
        Node* scaled = fork.Math("multiply", 0, 0);
        fork.Connect(sum, "number", scaled, "a");
        fork.Connect(params, "gain", scaled, "b");
        fork.Feed(scaled, "number", fork.Io(Builder::kNumberIo, "y"));
        fork.Write(path);
    }

    double Run(const std::string& path, double x) {
        NodeGraphNode* node = NodeReading(path);
        FeedNumber(node, "x", x);
        Evaluate(node);
        return node->GetNumberValue(0);
    }
};

// Any change of a file, however it is made, is read; what a read keeps shows in bench_load.
TEST_F(ProjectCacheTest, ChangedFilesAreReadAgain) {
    const fs::path temporary = UsePrivateTemporaryFolder();
    const fs::path leaf = Path("leaf.qmr");
    WriteLeaf(leaf.string(), 1);
    WriteFork(Path("middle.qmr"), leaf.string());
    WriteFork(Path("top.qmr"), Path("middle.qmr"));
    const fs::path working_directory = fs::current_path();

    // Two runs of middle, each of two runs of leaf: 4 (x + 1). The Attributes nodes of top and
    // middle need their side files on every read.
    for (int read = 0; read < 2; ++read) {
        EXPECT_EQ(Run(Path("top.qmr"), 2), 12);
        EXPECT_TRUE(fs::current_path() == working_directory && fs::is_empty(temporary));
    }

    // In place: same inode, and mostly the same size. `seconds` moves the file's time on.
    const struct {
        const char* label;
        double step;
        bool in_place;
        int seconds;
    } changes[] = {
        {"replaced by a save", 2, false, 0},
        {"rewritten in place", 3, true, 1},
        {"rewritten within one tick of the file clock", 4, true, 0},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.label);
        if (change.in_place) {
            WriteLeaf(Path("new.qmr"), change.step);
            const auto before = fs::last_write_time(leaf);
            fs::copy_file(Path("new.qmr"), leaf, fs::copy_options::overwrite_existing);
            fs::last_write_time(leaf, before + std::chrono::seconds(change.seconds));
        } else {
            WriteLeaf(leaf.string(), change.step);
        }
        EXPECT_EQ(Run(Path("top.qmr"), 2), 4 * (2 + change.step));
        EXPECT_TRUE(fs::is_empty(temporary));
    }
}

}  // namespace
