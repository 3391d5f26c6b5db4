#include <filesystem>
#include <map>
#include <string>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using FileCommandsTest = QuillmarTest;

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
