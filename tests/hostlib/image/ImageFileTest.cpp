#include "host/ImageFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/hostlib/image/PixelTest.h"
#include "tests/hostlib/project/SandboxTest.h"

namespace fs = std::filesystem;

// Runs in a folder of its own, so that file names are relative to it.
using ImageFileTest = SandboxTest;

TEST_F(ImageFileTest, PngKeepsEightBitsRoundedAndStraightAlpha) {
    // Each pixel written, and the levels it reads back as.
    const std::pair<Rgba, Rgba> pixels[] = {
        {{0, .5f, 1, 1}, {0, 128, 255, 255}},
        {{1.2f, -.3f, .1f, 1}, {255, 0, 26, 255}},
        // Semi-transparent: the colour must not come back premultiplied.
        {{.8f, .6f, .4f, .5f}, {204, 153, 102, 128}},
        {{0, 0, 0, 0}, {0, 0, 0, 0}},
        {{.002f, .998f, .3f, 1}, {1, 254, 77, 255}},
        {{std::nanf(""), 2, 1.0f / 255, .25f}, {0, 255, 1, 64}},
    };
    Image image(3, 2);
    for (uint32_t p = 0; p < 6; ++p) {
        std::copy_n(pixels[p].first.begin(), 4, image.GetPixel(p % 3, p / 3));
    }
    std::string error;
    ASSERT_TRUE(ImageFile::Write(image, "out.png", error)) << error;
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);

    RefPtr<Image> read = ImageFile::Read("out.png", error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->GetWidth(), 3u);
    ASSERT_EQ(read->GetHeight(), 2u);
    EXPECT_EQ(read->GetColorMode(), 1);
    for (uint32_t p = 0; p < 6; ++p) {
        Rgba expected = pixels[p].second;
        for (float& level : expected) {
            level /= 255;
        }
        ExpectPixel(*read, p % 3, p / 3, expected);
    }
}

TEST_F(ImageFileTest, FloatFormatsKeepValuesAsTheyAre) {
    const std::vector<float> floats = {2.5f,  -1.0f, 0.123456f, 0.5f, 1000.0f, 0.0f, 1e-4f, 1.0f,
                                       0.25f, 0.75f, 3.0f,      0.0f, 1.0f,    1.0f, 1.0f,  2.0f};
    const Image image = MakeImage(2, 2, floats, 2);
    std::string error;
    for (const char* name : {"out.exr", "out.TIF"}) {
        ASSERT_TRUE(ImageFile::Write(image, name, error)) << error;
        RefPtr<Image> read = ImageFile::Read(name, error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(read->GetColorMode(), 2) << name;
        EXPECT_EQ(std::vector<float>(read->GetData(), read->GetData() + read->GetNumFloats()),
                  floats)
            << name;
    }
}

TEST_F(ImageFileTest, BadFilesAndPathsGiveMessages) {
    WriteText("notes.png", "not an image at all\n");
    for (const std::string& path :
         {std::string("notes.png"), std::string("missing.png"), m_folder.string()}) {
        std::string error;
        EXPECT_FALSE(ImageFile::Read(path, error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }

    const Image image(2, 2);
    const Image empty;
    const std::pair<const Image*, std::string> writes[] = {
        {&image, "no/such/folder/out.png"},
        {&image, "out.unknownformat"},
        {&empty, "empty.png"},
    };
    for (const auto& [written, path] : writes) {
        std::string error;
        EXPECT_FALSE(ImageFile::Write(*written, path, error)) << path;
        EXPECT_FALSE(error.empty()) << path;
        EXPECT_FALSE(fs::exists(path)) << path;
    }
}
