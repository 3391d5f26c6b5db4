#include "host/ImageOp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/RefPtr.h"

namespace {

void SetPixel(Image& image, uint32_t x, uint32_t y, float r, float g, float b, float a) {
    float* pixel = image.GetPixel(x, y);
    pixel[0] = r;
    pixel[1] = g;
    pixel[2] = b;
    pixel[3] = a;
}

void ExpectPixel(const Image& image, uint32_t x, uint32_t y, float r, float g, float b, float a) {
    const float* pixel = image.GetPixel(x, y);
    EXPECT_FLOAT_EQ(pixel[0], r) << "at " << x << "," << y;
    EXPECT_FLOAT_EQ(pixel[1], g) << "at " << x << "," << y;
    EXPECT_FLOAT_EQ(pixel[2], b) << "at " << x << "," << y;
    EXPECT_FLOAT_EQ(pixel[3], a) << "at " << x << "," << y;
}

}  // namespace

TEST(ImageOpTest, MixModesWorkPerChannelWithoutClamping) {
    Image background(1, 1, 2);
    SetPixel(background, 0, 0, 0.8f, 0.1f, -0.5f, 0.25f);
    Image foreground(1, 1, 1);
    SetPixel(foreground, 0, 0, 0.7f, 0.3f, 0.5f, 1.0f);

    struct Case {
        const char* mode;
        float r, g, b, a;
    };
    const Case cases[] = {
        {"add", 1.5f, 0.4f, 0.0f, 1.25f},          {"subtract", 0.1f, -0.2f, -1.0f, -0.75f},
        {"multiply", 0.56f, 0.03f, -0.25f, 0.25f}, {"min", 0.7f, 0.1f, -0.5f, 0.25f},
        {"max", 0.8f, 0.3f, 0.5f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        RefPtr<Image> mixed(ImageOp::MixBgFgImages(&background, &foreground, c.mode));
        ASSERT_TRUE(mixed);
        EXPECT_EQ(mixed->GetRefCount(), 1u);
        EXPECT_EQ(mixed->GetColorMode(), 2);
        ExpectPixel(*mixed, 0, 0, c.r, c.g, c.b, c.a);
    }
}

TEST(ImageOpTest, MixKeepsBackgroundWhereForegroundDoesNotReach) {
    // Background 3x3, foreground 2x4: column 2 of every row is outside, and row 3 of the
    // foreground is outside the background.
    Image background(3, 3);
    background.Fill(0.5f, 0.5f, 0.5f, 0.5f);
    Image foreground(2, 4);
    foreground.Fill(0.25f, 0.25f, 0.25f, 0.25f);
    RefPtr<Image> mixed(ImageOp::MixBgFgImages(&background, &foreground, "add"));
    ASSERT_TRUE(mixed);
    ASSERT_EQ(mixed->GetWidth(), 3u);
    ASSERT_EQ(mixed->GetHeight(), 3u);
    for (uint32_t y = 0; y < 3; ++y) {
        ExpectPixel(*mixed, 0, y, 0.75f, 0.75f, 0.75f, 0.75f);
        ExpectPixel(*mixed, 1, y, 0.75f, 0.75f, 0.75f, 0.75f);
        ExpectPixel(*mixed, 2, y, 0.5f, 0.5f, 0.5f, 0.5f);
    }

    // A foreground wider but shorter: the lower rows are the background's.
    Image wide(5, 1);
    wide.Fill(1.0f, 1.0f, 1.0f, 1.0f);
    RefPtr<Image> low(ImageOp::MixBgFgImages(&background, &wide, "max"));
    ASSERT_TRUE(low);
    for (uint32_t x = 0; x < 3; ++x) {
        ExpectPixel(*low, x, 0, 1.0f, 1.0f, 1.0f, 1.0f);
        ExpectPixel(*low, x, 1, 0.5f, 0.5f, 0.5f, 0.5f);
        ExpectPixel(*low, x, 2, 0.5f, 0.5f, 0.5f, 0.5f);
    }
}

TEST(ImageOpTest, MixRefusesUnknownModesAndCopiesWithoutForeground) {
    Image background(2, 1, 2);
    background.Fill(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(ImageOp::MixBgFgImages(&background, &background, "average"), nullptr);
    EXPECT_EQ(ImageOp::MixBgFgImages(&background, &background, "Add"), nullptr);
    EXPECT_EQ(ImageOp::MixBgFgImages(nullptr, &background, "add"), nullptr);

    RefPtr<Image> copy(ImageOp::MixBgFgImages(&background, nullptr, "min"));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), &background);
    EXPECT_EQ(copy->GetColorMode(), 2);
    ExpectPixel(*copy, 1, 0, 0.1f, 0.2f, 0.3f, 0.4f);
}

TEST(ImageOpTest, MultiplyScalesAndClampLimitsEveryChannel) {
    Image image(2, 1, 2);
    SetPixel(image, 0, 0, 2.0f, -1.0f, 0.5f, 1.0f);
    SetPixel(image, 1, 0, std::numeric_limits<float>::quiet_NaN(),
             std::numeric_limits<float>::infinity(), 0.0f, 3.0f);
    ImageOp::Multiply(&image, 0.5f);
    ExpectPixel(image, 0, 0, 1.0f, -0.5f, 0.25f, 0.5f);
    EXPECT_TRUE(std::isnan(image.GetPixel(1, 0)[0]));
    EXPECT_EQ(image.GetPixel(1, 0)[3], 1.5f);

    SetPixel(image, 0, 0, 1.5f, -0.5f, 0.25f, 1.0f);
    ImageOp::Clamp(&image);
    ExpectPixel(image, 0, 0, 1.0f, 0.0f, 0.25f, 1.0f);
    ExpectPixel(image, 1, 0, 0.0f, 1.0f, 0.0f, 1.0f);

    ImageOp::Multiply(nullptr, 2.0f);
    ImageOp::Clamp(nullptr);
}
