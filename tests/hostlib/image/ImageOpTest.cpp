#include "host/ImageOp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/RefPtr.h"
#include "tests/hostlib/image/PixelTest.h"

TEST(ImageOpTest, MixModesWorkPerChannelWithoutClamping) {
    const Image background = MakeImage(1, 1, {0.8f, 0.1f, -0.5f, 0.25f}, 2);
    const Image foreground = OnePixel({0.7f, 0.3f, 0.5f, 1.0f});
    const std::pair<const char*, Rgba> cases[] = {
        {"add", {1.5f, 0.4f, 0.0f, 1.25f}},          {"subtract", {0.1f, -0.2f, -1.0f, -0.75f}},
        {"multiply", {0.56f, 0.03f, -0.25f, 0.25f}}, {"min", {0.7f, 0.1f, -0.5f, 0.25f}},
        {"max", {0.8f, 0.3f, 0.5f, 1.0f}},
    };
    for (const auto& [mode, expected] : cases) {
        SCOPED_TRACE(mode);
        RefPtr<Image> mixed(ImageOp::MixBgFgImages(&background, &foreground, mode));
        ASSERT_TRUE(mixed);
        EXPECT_EQ(mixed->GetRefCount(), 1u);
        EXPECT_EQ(mixed->GetColorMode(), 2);
        ExpectPixel(*mixed, 0, 0, expected);
    }
    RefPtr<Image> copy(ImageOp::MixBgFgImages(&background, nullptr, "min"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetColorMode(), 2);
    ExpectPixel(*copy, 0, 0, {0.8f, 0.1f, -0.5f, 0.25f});
    // Mode names are exact.
    EXPECT_EQ(ImageOp::MixBgFgImages(&background, &foreground, "average"), nullptr);
    EXPECT_EQ(ImageOp::MixBgFgImages(&background, &foreground, "Add"), nullptr);
    EXPECT_EQ(ImageOp::MixBgFgImages(nullptr, &foreground, "add"), nullptr);
}

TEST(ImageOpTest, MixKeepsBackgroundWhereForegroundDoesNotReach) {
    Image background(3, 3);
    background.Fill(0.5f, 0.5f, 0.5f, 0.5f);
    // Narrower and taller than the background, then wider and shorter (whole rows covered).
    for (const auto& [width, height] : {std::pair{2u, 4u}, std::pair{5u, 2u}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Image foreground(width, height);
        foreground.Fill(0.25f, 0.25f, 0.25f, 0.25f);
        RefPtr<Image> mixed(ImageOp::MixBgFgImages(&background, &foreground, "add"));
        ASSERT_TRUE(mixed);
        ASSERT_EQ(mixed->GetNumPixels(), 9u);
        for (uint32_t p = 0; p < 9; ++p) {
            const float value = p % 3 < width && p / 3 < height ? 0.75f : 0.5f;
            ExpectPixel(*mixed, p % 3, p / 3, {value, value, value, value});
        }
    }
}

TEST(ImageOpTest, MultiplyScalesAndClampLimitsEveryChannel) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    Image image = MakeImage(2, 1, {2.0f, -1.0f, 0.5f, 1.0f, nan, infinity, 0.0f, 3.0f});
    ImageOp::Multiply(&image, 0.5f);
    ExpectPixel(image, 0, 0, {1.0f, -0.5f, 0.25f, 0.5f});
    EXPECT_TRUE(std::isnan(image.GetPixel(1, 0)[0]));
    EXPECT_EQ(image.GetPixel(1, 0)[3], 1.5f);

    image.GetPixel(0, 0)[0] = 1.5f;
    ImageOp::Clamp(&image);
    ExpectPixel(image, 0, 0, {1.0f, 0.0f, 0.25f, 0.5f});
    ExpectPixel(image, 1, 0, {0.0f, 1.0f, 0.0f, 1.0f});

    ImageOp::Multiply(nullptr, 2.0f);
    ImageOp::Clamp(nullptr);
}
