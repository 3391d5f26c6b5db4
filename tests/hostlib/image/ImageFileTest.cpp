#include "host/ImageFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device device;
        m_folder = fs::temp_directory_path() / ("qm_image_file_" + std::to_string(device()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

    fs::path m_folder;
};

void SetPixel(Image& image, uint32_t x, uint32_t y, float r, float g, float b, float a) {
    float* pixel = image.GetPixel(x, y);
    pixel[0] = r;
    pixel[1] = g;
    pixel[2] = b;
    pixel[3] = a;
}

}  // namespace

TEST_F(ImageFileTest, PngKeepsEightBitsRoundedAndStraightAlpha) {
    Image image(3, 2, 2);
    SetPixel(image, 0, 0, 0.0f, 0.5f, 1.0f, 1.0f);
    SetPixel(image, 1, 0, 1.2f, -0.3f, 0.1f, 1.0f);
    // Semi-transparent: the colour must not come back premultiplied.
    SetPixel(image, 2, 0, 0.8f, 0.6f, 0.4f, 0.5f);
    SetPixel(image, 0, 1, 0.0f, 0.0f, 0.0f, 0.0f);
    SetPixel(image, 1, 1, 0.002f, 0.998f, 0.3f, 1.0f);
    SetPixel(image, 2, 1, std::nanf(""), 2.0f, 1.0f / 255.0f, 0.25f);

    std::string error;
    const std::string path = PathOf("out.png");
    ASSERT_TRUE(ImageFile::Write(image, path, error)) << error;
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);

    RefPtr<Image> read = ImageFile::Read(path, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->GetWidth(), 3u);
    EXPECT_EQ(read->GetHeight(), 2u);
    EXPECT_EQ(read->GetColorMode(), 1);
    const float expected[6][4] = {
        {0, 128, 255, 255}, {255, 0, 26, 255}, {204, 153, 102, 128},
        {0, 0, 0, 0},       {1, 254, 77, 255}, {0, 255, 1, 64},
    };
    for (int p = 0; p < 6; ++p) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(read->GetData()[4 * p + c], expected[p][c] / 255.0f)
                << "pixel " << p << " channel " << c;
        }
    }
}

TEST_F(ImageFileTest, FloatFormatsKeepValuesAsTheyAre) {
    Image image(2, 2, 2);
    SetPixel(image, 0, 0, 2.5f, -1.0f, 0.123456f, 0.5f);
    SetPixel(image, 1, 0, 1000.0f, 0.0f, 1e-4f, 1.0f);
    SetPixel(image, 0, 1, 0.25f, 0.75f, 3.0f, 0.0f);
    SetPixel(image, 1, 1, 1.0f, 1.0f, 1.0f, 2.0f);

    for (const char* name : {"out.exr", "out.TIF"}) {
        SCOPED_TRACE(name);
        std::string error;
        ASSERT_TRUE(ImageFile::Write(image, PathOf(name), error)) << error;
        RefPtr<Image> read = ImageFile::Read(PathOf(name), error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(read->GetColorMode(), 2);
        ASSERT_EQ(read->GetNumFloats(), image.GetNumFloats());
        for (size_t i = 0; i < image.GetNumFloats(); ++i) {
            EXPECT_EQ(read->GetData()[i], image.GetData()[i]) << "float " << i;
        }
    }

    // Radiance files hold no alpha: it reads back as 1. Their shared-exponent encoding keeps
    // about three digits.
    std::string error;
    ASSERT_TRUE(ImageFile::Write(image, PathOf("out.hdr"), error)) << error;
    RefPtr<Image> hdr = ImageFile::Read(PathOf("out.hdr"), error);
    ASSERT_TRUE(hdr) << error;
    EXPECT_EQ(hdr->GetColorMode(), 2);
    EXPECT_NEAR(hdr->GetPixel(1, 0)[0], 1000.0f, 4.0f);
    EXPECT_NEAR(hdr->GetPixel(0, 1)[2], 3.0f, 0.02f);
    EXPECT_EQ(hdr->GetPixel(0, 1)[3], 1.0f);
}

TEST_F(ImageFileTest, GreyFilesBecomeOpaqueRgb) {
    const std::string path = PathOf("grey.pgm");
    std::ofstream(path) << "P2\n2 1\n255\n0 51\n";
    std::string error;
    RefPtr<Image> read = ImageFile::Read(path, error);
    ASSERT_TRUE(read) << error;
    const float* second = read->GetPixel(1, 0);
    EXPECT_FLOAT_EQ(second[0], 0.2f);
    EXPECT_FLOAT_EQ(second[1], 0.2f);
    EXPECT_FLOAT_EQ(second[2], 0.2f);
    EXPECT_EQ(second[3], 1.0f);
    EXPECT_EQ(read->GetPixel(0, 0)[3], 1.0f);
}

TEST_F(ImageFileTest, BadFilesAndPathsGiveMessages) {
    const std::string text = PathOf("notes.png");
    std::ofstream(text) << "not an image at all\n";
    std::string error;
    EXPECT_FALSE(ImageFile::Read(text, error));
    EXPECT_NE(error.find("notes.png"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(ImageFile::Read(PathOf("missing.png"), error));
    EXPECT_FALSE(error.empty());

    error.clear();
    EXPECT_FALSE(ImageFile::Read(m_folder.string(), error));
    EXPECT_FALSE(error.empty());

    Image image(2, 2);
    error.clear();
    EXPECT_FALSE(ImageFile::Write(image, PathOf("no/such/folder/out.png"), error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ImageFile::Write(image, PathOf("out.unknownformat"), error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ImageFile::Write(Image(), PathOf("empty.png"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(PathOf("empty.png")));
}
