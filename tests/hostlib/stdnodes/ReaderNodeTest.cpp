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
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void WritePng(const std::string& name, float red) {
        Image image(3, 2);
        image.Fill(red, 0.5f, 0.0f, 1.0f);
        std::string error;
        ASSERT_TRUE(ImageFile::Write(image, (m_folder / name).string(), error)) << error;
    }

    fs::path m_folder;
};

}  // namespace

TEST_F(ReaderNodeTest, ReadsRelativeToTheProjectAndKeepsTheDecodedImage) {
    WritePng("picture.png", 1.0f);
    ReaderNode* reader = Add<ReaderNode>();
    EXPECT_EQ(Evaluate(reader).m_image, nullptr);
    EXPECT_EQ(reader->GetState(0), 0u);

    reader->GetAttribute("path")->SetString("picture.png", false);
    const Image* image = Evaluate(reader).m_image;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(reader->GetState(0), 0u);
    EXPECT_EQ(image->GetWidth(), 3u);
    EXPECT_EQ(image->GetColorMode(), 1);
    EXPECT_EQ(image->GetPixel(2, 1)[0], 1.0f);
    EXPECT_FLOAT_EQ(image->GetPixel(2, 1)[1], 128.0f / 255.0f);

    // The same resolved path is not read again, even when the file changes or disappears.
    fs::remove(m_folder / "picture.png");
    reader->SetDirtyAllOutplugs();
    EXPECT_EQ(Evaluate(reader).m_image, image);

    // The absolute spelling of another file is read.
    WritePng("other.png", 0.0f);
    reader->GetAttribute("path")->SetString((m_folder / "other.png").string(), false);
    const Image* other = Evaluate(reader).m_image;
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetPixel(0, 0)[0], 0.0f);

    EXPECT_EQ(reader->GetNumFileReferences(), 1u);
    EXPECT_EQ(reader->GetFileReference(0), (m_folder / "other.png").string());
    reader->SetFileReference(0, "picture.png");
    EXPECT_EQ(reader->GetAttribute("path")->GetString(), "picture.png");
}

TEST_F(ReaderNodeTest, UnreadableFilesGiveNoImageAndAState) {
    ReaderNode* reader = Add<ReaderNode>();
    reader->GetAttribute("path")->SetString("missing.png", false);
    EXPECT_EQ(Evaluate(reader).m_image, nullptr);
    EXPECT_EQ(reader->GetState(0), 1u);
    EXPECT_EQ(reader->GetStateMessage(0), "Cannot read image file.");

    // Once the file is there, the next evaluation reads it and the state clears.
    WritePng("missing.png", 0.5f);
    reader->SetDirtyAllOutplugs();
    ASSERT_NE(Evaluate(reader).m_image, nullptr);
    EXPECT_EQ(reader->GetState(0), 0u);

    reader->SetActive(false);
    EXPECT_EQ(Evaluate(reader).m_image, nullptr);
    EXPECT_EQ(reader->GetState(0), 0u);
}
