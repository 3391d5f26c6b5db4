#include <filesystem>
#include <map>
#include <string>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using FileCommandsTest = QuillmarTest;

constexpr const char* kInnerProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="3" />
        <Value name="height" type="NUMBER" value="5" />
        <Value name="color" type="RGBO" value="0,1,0,1" /></Node>
    <Node id="1" type="10,1,53" name="picture" />
    <Connection from="0" outplug="image" to="1" inplug="image" />
</QuillmarProject>
)";

// Writers fed directly, through a Node Graph node, by nothing, without a path, and inactive.
constexpr const char* kDocument = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="4" />
        <Value name="height" type="NUMBER" value="2" />
        <Value name="color" type="RGBO" value="1,0,0,1" /></Node>
    <Node id="1" type="10,16,0" name="direct">
        <Value name="path" type="STRING" value="sub/direct.png" /></Node>
    <Node id="2" type="10,1,5" name="graph">
        <Value name="path" type="STRING" value="inner.qmr" /></Node>
    <Node id="3" type="10,16,0" name="nested">
        <Value name="path" type="STRING" value="nested.png" /></Node>
    <Node id="4" type="10,16,0" name="unfed">
        <Value name="path" type="STRING" value="unfed.png" /></Node>
    <Node id="5" type="10,16,0" name="pathless" />
    <Node id="6" type="10,16,0" name="off" active="0">
        <Value name="path" type="STRING" value="off.png" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
    <Connection from="2" outplug="picture" to="3" inplug="image" />
    <Connection from="0" outplug="image" to="5" inplug="image" />
    <Connection from="0" outplug="image" to="6" inplug="image" />
</QuillmarProject>
)";

TEST_F(FileCommandsTest, RenderWritesEveryWritersImageAndReportsWritersThatCannotWrite) {
    PackProject("inner", kInnerProject);
    const QString document = PackProject("document", kDocument);
    const ProgramRun run = Run({"render", document, "-o", "out"});
    EXPECT_TRUE(run.m_exit_code == 1 &&
                run.m_out == "Wrote out/sub/direct.png\nWrote out/nested.png\n" &&
                run.m_err.contains("\"unfed\" has no image to write to unfed.png") &&
                run.m_err.contains("\"pathless\" has no path"))
        << run.Describe();
    EXPECT_EQ(Entries(m_folder / "out"), (std::vector<std::string>{"nested.png", "sub"}));
}

// A document's Writer path chooses where render writes: only inside the output folder, unless the
// user allows otherwise.
TEST_F(FileCommandsTest, RenderWritesOnlyInsideItsFolderUnlessAllowed) {
    fs::create_directories(m_folder / "out");
    fs::create_directory_symlink(m_folder, m_folder / "out" / "link");
    const struct {
        std::string path;
        QStringList arguments;
        int exit_code;
        std::string message;
        fs::path written;
    } cases[] = {
        {"../escaped.png", {}, 2, "outside the output folder", {}},
        {(m_folder / "absolute.png").string(), {}, 2, "is absolute", {}},
        {"link/linked.png", {}, 2, "outside the output folder", {}},
        {"sub/../inside.png", {}, 0, "", m_folder / "out" / "inside.png"},
        {"../allowed.png", {"--allow-outside"}, 0, "", m_folder / "allowed.png"},
    };
    const char* kWriter = R"(<QuillmarProject major="1" minor="0">
        <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="2" />
            <Value name="height" type="NUMBER" value="2" /></Node>
        <Node id="1" type="10,16,0" name="writer"><Value name="path" type="STRING" value="%1" />
        </Node><Connection from="0" outplug="image" to="1" inplug="image" /></QuillmarProject>)";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const QString document = PackProject("document", QString(kWriter).arg(c.path.c_str()));
        const ProgramRun run = Run(QStringList{"render", document, "-o", "out"} + c.arguments);
        EXPECT_TRUE(run.m_exit_code == c.exit_code && !c.written.empty() == fs::exists(c.written) &&
                    (c.message.empty() ? run.m_err.isEmpty()
                                       : run.m_err.contains("Writer \"writer\": path") &&
                                             run.m_err.contains(c.message.c_str())))
            << run.Describe();
        EXPECT_FALSE(fs::exists(m_folder / "escaped.png") ||
                     fs::exists(m_folder / "absolute.png") || fs::exists(m_folder / "linked.png"));
    }
}

std::map<std::string, std::string> ReadTree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).generic_string()] =
                QuillmarTest::ReadText(entry.path());
        }
    }
    return files;
}

TEST_F(FileCommandsTest, UnpackGivesBackThePackedFilesAndKeepsExistingFilesUnlessForced) {
    const std::map<std::string, std::string> files = {
        {"Project.xml", "<QuillmarProject major=\"1\" minor=\"0\" />\n"},
        {"node1_attributes.xml", "<Attributes />"},
        {"images/a b.png", std::string("\x89PNG\r\n\x1a\n\0\xff", 10)},
        {"images/deep/c.txt", ""},
    };
    for (const auto& [name, text] : files) {
        WriteText(m_folder / "source" / name, text);
    }
    // The archive written into the packed folder itself is not packed into the next one.
    for (int pass = 0; pass < 2; ++pass) {
        const ProgramRun pack = Run({"pack", "source", "-o", "source/self.qmr"});
        ASSERT_EQ(pack.m_exit_code, 0) << pack.Describe();
    }
    fs::rename(m_folder / "source/self.qmr", m_folder / "p.qmr");
    EXPECT_EQ(Run({"pack", "source", "-o", "new/folder/p.qmr"}).m_exit_code, 0);
    EXPECT_EQ(ReadText(m_folder / "new/folder/p.qmr").size(), fs::file_size(m_folder / "p.qmr"));
    const ProgramRun unpack = Run({"unpack", "p.qmr", "-o", "target/new"});
    ASSERT_EQ(unpack.m_exit_code, 0) << unpack.Describe();
    EXPECT_EQ(ReadTree(m_folder / "target/new"), files);

    // A clash stops the unpack before anything is written; --force overwrites.
    WriteText(m_folder / "target/old/images/deep/c.txt", "mine");
    const ProgramRun refused = Run({"unpack", "p.qmr", "-o", "target/old"});
    EXPECT_TRUE(refused.m_exit_code == 2 && refused.m_err.contains("c.txt") &&
                refused.m_err.contains("--force"))
        << refused.Describe();
    EXPECT_EQ(ReadTree(m_folder / "target/old"),
              (std::map<std::string, std::string>{{"images/deep/c.txt", "mine"}}));
    EXPECT_EQ(Run({"unpack", "p.qmr", "-o", "target/old", "--force"}).m_exit_code, 0);
    EXPECT_EQ(ReadTree(m_folder / "target/old"), files);

    // Never written through a symbolic link out of the folder.
    fs::create_directories(m_folder / "outside");
    fs::create_directories(m_folder / "linked");
    fs::create_directory_symlink(m_folder / "outside", m_folder / "linked/images");
    EXPECT_EQ(Run({"unpack", "p.qmr", "-o", "linked", "--force"}).m_exit_code, 2);
    EXPECT_TRUE(fs::is_empty(m_folder / "outside"));
}

}  // namespace
