#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "host/ImageFile.h"
#include "hostlib/stdnodes/ReaderNode.h"
#include "tests/hostlib/stdnodes/StandardNodeTest.h"

namespace fs = std::filesystem;

namespace {

class ReaderNodeTest : public StandardNodeTest {
protected:
    void SetUp() override {
        std::random_device device;
        m_folder = fs::temp_directory_path() / ("qm_reader_" + std::to_string(device()));
        fs::create_directories(m_folder);
        // Relative paths are taken from the folder of the graph's project file.
        m_graph->SetFilePath((m_folder / "project.qmr").string());
        m_reader = Add<ReaderNode>();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void WritePng(const std::string& name, float red) {
        Image image(3, 2);
        image.Fill(red, 0.5f, 0.0f, 1.0f);
        std::string error;
        ASSERT_TRUE(ImageFile::Write(image, (m_folder / name).string(), error)) << error;
    }

    const Image* Read(const std::string& path) {
        m_reader->GetAttribute("path")->SetString(path, false);
        m_reader->SetDirtyAllOutplugs();
        return Evaluate(m_reader).m_image;
    }

    fs::path m_folder;
    ReaderNode* m_reader = nullptr;
};

}  // namespace

TEST_F(ReaderNodeTest, ReadsRelativeToTheProjectAndKeepsTheDecodedImage) {
    EXPECT_EQ(Read(""), nullptr);
    EXPECT_EQ(m_reader->GetState(0), 0u);

    WritePng("picture.png", 1.0f);
    const Image* image = Read("picture.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(m_reader->GetState(0), 0u);
    EXPECT_EQ(image->GetPixel(2, 1)[0], 1.0f);

    // The same resolved path is not read again, even when the file changes or disappears.
    fs::remove(m_folder / "picture.png");
    EXPECT_EQ(Read("picture.png"), image);

    // The absolute spelling of another file is read.
    WritePng("other.png", 0.0f);
    const Image* other = Read((m_folder / "other.png").string());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetPixel(0, 0)[0], 0.0f);
}

TEST_F(ReaderNodeTest, UnreadableFilesGiveNoImageAndAState) {
    EXPECT_EQ(Read("missing.png"), nullptr);
    EXPECT_EQ(m_reader->GetState(0), 1u);
    EXPECT_EQ(m_reader->GetStateMessage(0), "Cannot read image file.");

    // Once the file is there, the next evaluation reads it and the state clears.
    WritePng("missing.png", 0.5f);
    ASSERT_NE(Read("missing.png"), nullptr);
    EXPECT_EQ(m_reader->GetState(0), 0u);

    m_reader->SetActive(false);
    EXPECT_EQ(Evaluate(m_reader).m_image, nullptr);
    EXPECT_EQ(m_reader->GetState(0), 0u);
}
