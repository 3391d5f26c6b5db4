#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "SandboxTest.h"
#include "host/Container.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string m_name;  // a trailing '/' makes a folder entry
    std::string m_data = {};
    uint32_t m_unix_mode = 0;  // 0: no Unix attributes
    bool m_encrypted = false;
};

// Builds an archive with libzip's own writer, which stores names and modes as given.
void WriteArchive(const fs::path& path, const std::vector<Entry>& entries) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const Entry& entry : entries) {
        const char* name = entry.m_name.c_str();
        const zip_int64_t index =
            entry.m_name.ends_with('/')
                ? zip_dir_add(archive, name, 0)
                : zip_file_add(
                      archive, name,
                      zip_source_buffer(archive, entry.m_data.data(), entry.m_data.size(), 0), 0);
        ASSERT_GE(index, 0) << name << ": " << zip_strerror(archive);
        if (entry.m_unix_mode) {
            ASSERT_EQ(zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX,
                                                       entry.m_unix_mode << 16),
                      0);
        }
        if (entry.m_encrypted) {
            ASSERT_EQ(zip_file_set_encryption(archive, index, ZIP_EM_AES_256, "secret"), 0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

// Makes the first entry declare `size` uncompressed bytes, in the central directory and in its
// local header (which starts the file), whatever it really holds.
void FalsifyFirstDeclaredSize(const fs::path& path, uint32_t size) {
    static_assert(std::endian::native == std::endian::little);
    std::string bytes = SandboxTest::ReadText(path);
    const size_t end_record = bytes.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(end_record, std::string::npos);
    uint32_t central = 0;
    bytes.copy(reinterpret_cast<char*>(&central), 4, end_record + 16);
    ASSERT_EQ(bytes.substr(central, 4), std::string("PK\x01\x02", 4));
    bytes.replace(central + 24, 4, reinterpret_cast<const char*>(&size), 4);
    bytes.replace(22, 4, reinterpret_cast<const char*>(&size), 4);
    SandboxTest::WriteText(path, bytes);
}

std::vector<std::string> ListTree(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A sandbox with the extraction folder "work" (made current) and things outside it that no
// archive may reach.
class ContainerTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        m_saved_limits = GetContainerLimits();
        m_work = m_folder / "work";
        m_archive = m_folder / "archive.zip";
        fs::create_directories(m_folder / "outside");
        fs::create_directory(m_work);
        WriteText(m_folder / "outside" / "keep.txt", "keep");
        fs::current_path(m_work);
    }
    void TearDown() override { SetContainerLimits(m_saved_limits); }

    // Everything in the sandbox outside the extraction folder.
    std::vector<std::string> Outside() const {
        std::vector<std::string> names = ListTree(m_folder);
        std::erase_if(names, [](const std::string& name) {
            return name.starts_with("work") || name == "archive.zip";
        });
        return names;
    }
    void EmptyWork() const {
        for (const fs::directory_entry& entry : fs::directory_iterator(m_work)) {
            fs::remove_all(entry.path());
        }
    }

    fs::path m_work;
    fs::path m_archive;
    ContainerLimits m_saved_limits;
};

// A refused archive must leave nothing at all, since every entry is checked before anything is
// written.
TEST_F(ContainerTest, ArchivesAreCheckedAgainstPathsKindsAndLimits) {
    SetContainerLimits({4, 1000});
    // Each archive starts with a harmless "first.txt".
    const auto unpack = [&](const std::vector<Entry>& entries, std::string& error) {
        EmptyWork();
        std::vector<Entry> archive = {{"first.txt", "safe"}};
        archive.insert(archive.end(), entries.begin(), entries.end());
        WriteArchive(m_archive, archive);
        return DecompressFiles(m_archive.string(), error);
    };
    const std::vector<std::pair<std::vector<Entry>, std::vector<std::string>>> accepted = {
        {{{"a/"}, {"a/b/"}, {"./c\\d.txt", "x"}}, {"a", "a/b", "c", "c/d.txt", "first.txt"}},
        {{{"plain.txt", std::string(996, 'p'), S_IFREG | 0644}}, {"first.txt", "plain.txt"}},
    };
    for (const auto& [entries, tree] : accepted) {
        SCOPED_TRACE(entries.back().m_name);
        std::string error;
        EXPECT_TRUE(unpack(entries, error)) << error;
        EXPECT_EQ(ListTree(m_work), tree);
    }

    std::vector<std::pair<std::vector<Entry>, std::string>> refused = {
        {{{(m_folder / "absolute.txt").string()}}, "absolute"},
        {{{"\\rooted.txt"}}, "absolute"},
        {{{"C:/windows.txt"}}, "drive letter"},
        {{{"c:evil.txt"}}, "drive letter"},
        {{{"sub/../../escaped.txt"}}, "\"..\""},
        {{{"sub\\..\\..\\escaped.txt"}}, "\"..\""},
        {{{"link", "../outside/keep.txt", S_IFLNK | 0777}}, "symbolic link"},
        {{{"link/", "", S_IFLNK | 0777}, {"link/escaped.txt", "x"}}, "symbolic link"},
        {{{"folder_link", "../outside", S_IFLNK | 0777}, {"folder_link/escaped.txt", "x"}},
         "symbolic link"},
        {{{"fifo", "", S_IFIFO | 0644}}, "special"},
        {{{"big", std::string(997, 'b')}}, "more than 1000 bytes"},
        {{{"2"}, {"3/"}, {"4"}, {"5"}}, "more than 4 entries"},
    };
    if (zip_encryption_method_supported(ZIP_EM_AES_256, 1)) {
        refused.push_back({{{"secret.txt", "hidden", 0, true}}, "encrypted"});
    }
    const std::vector<std::string> outside = Outside();
    for (const auto& [entries, reason] : refused) {
        SCOPED_TRACE(entries.back().m_name);
        std::string error;
        EXPECT_FALSE(unpack(entries, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(m_work));
        EXPECT_EQ(Outside(), outside);
    }
}

TEST_F(ContainerTest, ExistingLinksInTheFolderAreNeverWrittenThrough) {
    const fs::path outside = m_folder / "outside";
    fs::create_directory_symlink(outside, m_work / "linked_folder");
    fs::create_symlink(outside / "keep.txt", m_work / "linked_file");
    WriteText(outside / "hard.txt", "keep");
    fs::create_hard_link(outside / "hard.txt", m_work / "hard_file");
    const std::vector<std::string> before = Outside();

    for (const std::string name :
         {"linked_folder/new.txt", "linked_folder/", "linked_file", "hard_file"}) {
        SCOPED_TRACE(name);
        WriteArchive(m_archive, {{name, "overwritten"}});
        std::string error;
        EXPECT_FALSE(DecompressFiles(m_archive.string(), error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Outside(), before);
        EXPECT_EQ(ReadText(outside / "keep.txt") + ReadText(outside / "hard.txt"), "keepkeep");
    }
}

// The refusal comes while unpacking; what was unpacked until then is taken out again, and a file
// that was there before stays.
TEST_F(ContainerTest, DeclaredSizesThatLieAreRefusedAndLeaveNothingBehind) {
    SetContainerLimits({10, 100000});
    WriteText(m_work / "kept.txt", "mine");
    // One byte more than the limit, which is reached in the second chunk read.
    WriteArchive(m_archive, {{"dir/first", std::string(100001, 'a')}, {"second", "b"}});
    FalsifyFirstDeclaredSize(m_archive, 10);
    std::string error;
    EXPECT_FALSE(DecompressFiles(m_archive.string(), error));
    EXPECT_NE(error.find("more than 100000 bytes"), std::string::npos) << error;
    EXPECT_EQ(ListTree(m_work), std::vector<std::string>{"kept.txt"});
}

}  // namespace
