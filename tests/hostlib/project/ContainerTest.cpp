#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "host/Container.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    Entry(std::string name, std::string data, std::optional<uint32_t> unix_mode = std::nullopt,
          bool encrypted = false)
        : m_name(std::move(name)),
          m_data(std::move(data)),
          m_unix_mode(unix_mode),
          m_encrypted(encrypted) {}

    std::string m_name;
    std::string m_data;
    std::optional<uint32_t> m_unix_mode;
    bool m_encrypted;
};

// Builds an archive with libzip's own writer, which stores names and modes as given.
void WriteArchive(const fs::path& path, const std::vector<Entry>& entries) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const Entry& entry : entries) {
        zip_int64_t index = -1;
        if (!entry.m_name.empty() && entry.m_name.back() == '/') {
            index = zip_dir_add(archive, entry.m_name.c_str(), 0);
        } else {
            zip_source_t* source =
                zip_source_buffer(archive, entry.m_data.data(), entry.m_data.size(), 0);
            ASSERT_NE(source, nullptr);
            index = zip_file_add(archive, entry.m_name.c_str(), source, 0);
        }
        ASSERT_GE(index, 0) << entry.m_name << ": " << zip_strerror(archive);
        if (entry.m_unix_mode) {
            ASSERT_EQ(zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX,
                                                       *entry.m_unix_mode << 16),
                      0);
        }
        if (entry.m_encrypted) {
            ASSERT_EQ(zip_file_set_encryption(archive, index, ZIP_EM_AES_256, "secret"), 0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

uint32_t ReadLittle32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | uint8_t(bytes.at(offset + i));
    }
    return value;
}

void WriteLittle32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(offset + i) = char((value >> (8 * i)) & 0xFF);
    }
}

// Makes every entry of the archive declare `size` bytes of uncompressed data, in the central
// directory and in the local headers, whatever it really holds.
void FalsifyDeclaredSizes(const fs::path& path, uint32_t size) {
    std::string bytes = TestFolder::ReadText(path);
    const size_t end_record = bytes.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(end_record, std::string::npos);
    const uint32_t num_entries = ReadLittle32(bytes, end_record + 10) & 0xFFFF;
    size_t central = ReadLittle32(bytes, end_record + 16);
    for (uint32_t i = 0; i < num_entries; ++i) {
        ASSERT_EQ(ReadLittle32(bytes, central), 0x02014b50u);
        WriteLittle32(bytes, central + 24, size);
        const size_t local = ReadLittle32(bytes, central + 42);
        ASSERT_EQ(ReadLittle32(bytes, local), 0x04034b50u);
        WriteLittle32(bytes, local + 22, size);
        const uint32_t lengths = ReadLittle32(bytes, central + 28);
        const uint32_t comment = ReadLittle32(bytes, central + 32) & 0xFFFF;
        central += 46 + (lengths & 0xFFFF) + (lengths >> 16) + comment;
    }
    TestFolder::WriteText(path, bytes);
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
class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved_limits = GetContainerLimits();
        m_work = m_folder.GetPath() / "work";
        fs::create_directory(m_work);
        fs::create_directory(m_folder.GetPath() / "outside");
        TestFolder::WriteText(m_folder.GetPath() / "outside" / "keep.txt", "keep");
        fs::current_path(m_work);
    }
    void TearDown() override { SetContainerLimits(m_saved_limits); }

    // Everything in the sandbox outside the extraction folder, which must never change.
    std::vector<std::string> Outside() const {
        std::vector<std::string> names = ListTree(m_folder.GetPath());
        std::erase_if(names, [](const std::string& name) {
            return name.starts_with("work") || name == "archive.zip";
        });
        return names;
    }

    fs::path Archive() const { return m_folder.GetPath() / "archive.zip"; }

    TestFolder m_folder;
    fs::path m_work;
    ContainerLimits m_saved_limits;
};

TEST_F(ContainerTest, CompressedFilesUnpackUnchangedWithProjectXmlFirst) {
    const fs::path source = m_folder.GetPath() / "source";
    fs::create_directories(source / "sub" / "deeper");
    std::string binary(300000, '\0');
    for (size_t i = 0; i < binary.size(); ++i) {
        binary[i] = char((i * 7919) >> 3);
    }
    TestFolder::WriteText(source / "Project.xml", "<QuillmarProject major=\"1\" minor=\"0\"/>");
    TestFolder::WriteText(source / "sub" / "deeper" / "data.bin", binary);
    TestFolder::WriteText(source / "empty.txt", "");

    std::string error;
    ASSERT_TRUE(CompressFiles(source.string(), {"sub/deeper/data.bin", "Project.xml", "empty.txt"},
                              Archive().string(), error))
        << error;

    int code = 0;
    zip_t* archive = zip_open(Archive().c_str(), ZIP_RDONLY, &code);
    ASSERT_NE(archive, nullptr);
    EXPECT_STREQ(zip_get_name(archive, 0, 0), "Project.xml");
    zip_stat_t stat;
    ASSERT_EQ(zip_stat_index(archive, 1, 0, &stat), 0);
    EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
    zip_discard(archive);

    ASSERT_TRUE(DecompressFiles(Archive().string(), error)) << error;
    EXPECT_EQ(ListTree(m_work), (std::vector<std::string>{"Project.xml", "empty.txt", "sub",
                                                          "sub/deeper", "sub/deeper/data.bin"}));
    EXPECT_EQ(TestFolder::ReadText(m_work / "sub" / "deeper" / "data.bin"), binary);
    EXPECT_EQ(TestFolder::ReadText(m_work / "Project.xml"),
              TestFolder::ReadText(source / "Project.xml"));

    // A failed write leaves the existing archive as it was.
    const std::string before = TestFolder::ReadText(Archive());
    EXPECT_FALSE(
        CompressFiles(source.string(), {"Project.xml", "missing.txt"}, Archive().string(), error));
    EXPECT_NE(error.find("missing.txt"), std::string::npos) << error;
    EXPECT_EQ(TestFolder::ReadText(Archive()), before);
}

TEST_F(ContainerTest, DirectoryEntriesMakeFoldersAndUnreadableArchivesFail) {
    WriteArchive(Archive(), {{"a/", ""}, {"a/b/", ""}, {"./c\\d.txt", "x"}});
    std::string error;
    ASSERT_TRUE(DecompressFiles(Archive().string(), error)) << error;
    EXPECT_EQ(ListTree(m_work), (std::vector<std::string>{"a", "a/b", "c", "c/d.txt"}));

    TestFolder::WriteText(m_folder.GetPath() / "not.zip", "not an archive");
    EXPECT_FALSE(DecompressFiles((m_folder.GetPath() / "not.zip").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(DecompressFiles((m_folder.GetPath() / "absent.zip").string()));
}

TEST_F(ContainerTest, EntriesThatWouldLeaveTheFolderAreRefusedBeforeAnythingIsWritten) {
    const std::string absolute = (m_folder.GetPath() / "absolute.txt").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {absolute, "absolute"},
        {"C:/windows.txt", "drive letter"},
        {"c:evil.txt", "drive letter"},
        {"sub/../../escaped.txt", "\"..\""},
        {"..", "\"..\""},
        {"sub\\..\\..\\escaped.txt", "\"..\""},
        {"\\rooted.txt", "absolute"},
    };
    const std::vector<std::string> outside = Outside();
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        WriteArchive(Archive(), {{"first.txt", "safe"}, {name, "payload"}});
        std::string error;
        EXPECT_FALSE(DecompressFiles(Archive().string(), error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(m_work));
        EXPECT_EQ(Outside(), outside);
    }
}

TEST_F(ContainerTest, LinksAndSpecialEntriesAreRefused) {
    std::string error;
    WriteArchive(Archive(), {{"link", "../outside/keep.txt", S_IFLNK | 0777}});
    EXPECT_FALSE(DecompressFiles(Archive().string(), error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;

    WriteArchive(Archive(), {{"fifo", "", S_IFIFO | 0644}});
    EXPECT_FALSE(DecompressFiles(Archive().string(), error));
    EXPECT_NE(error.find("special"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(m_work));

    // Ordinary modes pass.
    WriteArchive(Archive(), {{"plain.txt", "text", S_IFREG | 0644}});
    EXPECT_TRUE(DecompressFiles(Archive().string(), error)) << error;

    if (zip_encryption_method_supported(ZIP_EM_AES_256, 1)) {
        WriteArchive(Archive(), {{"secret.txt", "hidden", std::nullopt, true}});
        EXPECT_FALSE(DecompressFiles(Archive().string(), error));
        EXPECT_NE(error.find("encrypted"), std::string::npos) << error;
    }
}

TEST_F(ContainerTest, ExistingLinksInTheFolderAreNeverWrittenThrough) {
    const fs::path outside = m_folder.GetPath() / "outside";
    fs::create_directory_symlink(outside, m_work / "linked_folder");
    fs::create_symlink(outside / "keep.txt", m_work / "linked_file");
    fs::create_hard_link(outside / "keep.txt", m_work / "hard_file");
    const std::vector<std::string> before = Outside();

    for (const std::string name :
         {"linked_folder/new.txt", "linked_folder/", "linked_file", "hard_file"}) {
        SCOPED_TRACE(name);
        WriteArchive(Archive(), {{name, "overwritten"}});
        std::string error;
        EXPECT_FALSE(DecompressFiles(Archive().string(), error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Outside(), before);
        EXPECT_EQ(TestFolder::ReadText(outside / "keep.txt"), "keep");
    }
}

TEST_F(ContainerTest, LimitsOnEntriesAndUnpackedBytes) {
    std::string error;
    SetContainerLimits({3, 1000});
    WriteArchive(Archive(), {{"1", "a"}, {"2", "b"}, {"3/", ""}});
    EXPECT_TRUE(DecompressFiles(Archive().string(), error)) << error;
    fs::remove_all(m_work / "1");
    WriteArchive(Archive(), {{"1", "a"}, {"2", "b"}, {"3/", ""}, {"4", "d"}});
    EXPECT_FALSE(DecompressFiles(Archive().string(), error));
    EXPECT_NE(error.find("more than 3 entries"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(m_work / "1"));

    // Exactly at the limit passes; one byte more is refused, across entries.
    WriteArchive(Archive(), {{"x", std::string(600, 'x')}, {"y", std::string(400, 'y')}});
    EXPECT_TRUE(DecompressFiles(Archive().string(), error)) << error;
    WriteArchive(Archive(), {{"x", std::string(600, 'x')}, {"y", std::string(401, 'y')}});
    EXPECT_FALSE(DecompressFiles(Archive().string(), error));
    EXPECT_NE(error.find("more than 1000 bytes"), std::string::npos) << error;

    // Declared sizes that lie do not get more than the limit onto the disk.
    fs::remove_all(m_work);
    fs::create_directory(m_work);
    fs::current_path(m_work);
    SetContainerLimits({10, 100000});
    WriteArchive(Archive(), {{"first", std::string(300000, 'a')}, {"second", "b"}});
    FalsifyDeclaredSizes(Archive(), 10);
    EXPECT_FALSE(DecompressFiles(Archive().string(), error));
    EXPECT_NE(error.find("more than 100000 bytes"), std::string::npos) << error;
    EXPECT_LE(fs::file_size(m_work / "first"), 100000u);
    EXPECT_FALSE(fs::exists(m_work / "second"));

    SetContainerLimits({});
    EXPECT_EQ(GetContainerLimits().m_max_entries, 10000u);
    EXPECT_EQ(GetContainerLimits().m_max_total_bytes, uint64_t(1) << 30);
}

}  // namespace
