#include "host/Blend.h"

#include <gtest/gtest.h>

#include <random>

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
    EXPECT_NEAR(pixel[0], r, 1e-6f) << "at " << x << "," << y;
    EXPECT_NEAR(pixel[1], g, 1e-6f) << "at " << x << "," << y;
    EXPECT_NEAR(pixel[2], b, 1e-6f) << "at " << x << "," << y;
    EXPECT_NEAR(pixel[3], a, 1e-6f) << "at " << x << "," << y;
}

Image OnePixel(float r, float g, float b, float a) {
    Image image(1, 1);
    SetPixel(image, 0, 0, r, g, b, a);
    return image;
}

}  // namespace

TEST(BlendTest, OverUsesStraightAlpha) {
    const Image background = OnePixel(0.2f, 0.4f, 0.6f, 0.5f);
    const Image foreground = OnePixel(1.0f, 0.0f, 0.0f, 0.5f);
    RefPtr<Image> out(Blend(&background, &foreground, nullptr, kBlendOver, 0, 1.0f, 1.0f));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->GetRefCount(), 1u);
    // alpha 0.5 + 0.5 * 0.5 = 0.75; colour (f 0.5 + b 0.25) / 0.75.
    ExpectPixel(*out, 0, 0, 0.55f / 0.75f, 0.1f / 0.75f, 0.15f / 0.75f, 0.75f);

    // Half opacity over an opaque background mixes halfway and stays opaque.
    const Image black = OnePixel(0.0f, 0.0f, 0.0f, 1.0f);
    const Image white = OnePixel(1.0f, 1.0f, 1.0f, 1.0f);
    out = Blend(&black, &white, nullptr, kBlendOver, 0, 0.5f, 1.0f);
    ExpectPixel(*out, 0, 0, 0.5f, 0.5f, 0.5f, 1.0f);

    // A transparent foreground leaves the background as it is, colour included.
    const Image clear = OnePixel(0.9f, 0.9f, 0.9f, 0.0f);
    out = Blend(&background, &clear, nullptr, kBlendOver, 0, 1.0f, 1.0f);
    ExpectPixel(*out, 0, 0, 0.2f, 0.4f, 0.6f, 0.5f);

    // Both transparent: colour 0, not a division by zero.
    const Image empty_bg = OnePixel(0.3f, 0.3f, 0.3f, 0.0f);
    out = Blend(&empty_bg, &clear, nullptr, kBlendOver, 0, 1.0f, 1.0f);
    ExpectPixel(*out, 0, 0, 0.0f, 0.0f, 0.0f, 0.0f);

    // An opaque foreground over a transparent background keeps its own colour.
    out = Blend(&empty_bg, &foreground, nullptr, kBlendOver, 0, 1.0f, 1.0f);
    ExpectPixel(*out, 0, 0, 1.0f, 0.0f, 0.0f, 0.5f);
}

TEST(BlendTest, ChannelModesMixByOpacityAndMask) {
    const Image background = OnePixel(0.2f, 0.5f, 1.0f, 0.5f);
    const Image foreground = OnePixel(0.6f, 0.5f, 2.0f, 1.0f);
    struct Case {
        int mode;
        float r, g, b, a;  // at full weight
    };
    const Case cases[] = {
        {kBlendAdd, 0.8f, 1.0f, 3.0f, 1.5f},
        {kBlendMultiply, 0.12f, 0.25f, 2.0f, 0.5f},
        {kBlendMinimum, 0.2f, 0.5f, 1.0f, 0.5f},
        {kBlendMaximum, 0.6f, 0.5f, 2.0f, 1.0f},
    };
    const float* b = background.GetData();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        RefPtr<Image> full(Blend(&background, &foreground, nullptr, c.mode, 0, 1.0f, 1.0f));
        ASSERT_TRUE(full);
        ExpectPixel(*full, 0, 0, c.r, c.g, c.b, c.a);

        RefPtr<Image> half(Blend(&background, &foreground, nullptr, c.mode, 0, 0.5f, 1.0f));
        ExpectPixel(*half, 0, 0, (b[0] + c.r) / 2, (b[1] + c.g) / 2, (b[2] + c.b) / 2,
                    (b[3] + c.a) / 2);

        // Mask red 0.25 scaled by 2 gives weight 0.5 as well; the mask's other channels do
        // not count.
        const Image mask = OnePixel(0.25f, 9.0f, 9.0f, 9.0f);
        RefPtr<Image> masked(Blend(&background, &foreground, &mask, c.mode, 0, 1.0f, 2.0f));
        ExpectPixel(*masked, 0, 0, (b[0] + c.r) / 2, (b[1] + c.g) / 2, (b[2] + c.b) / 2,
                    (b[3] + c.a) / 2);

        RefPtr<Image> none(Blend(&background, &foreground, nullptr, c.mode, 0, 0.0f, 1.0f));
        ExpectPixel(*none, 0, 0, b[0], b[1], b[2], b[3]);
    }
}

TEST(BlendTest, RefusesBadArgumentsAndCopiesWithoutForeground) {
    Image background(2, 2, 2);
    background.Fill(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(Blend(nullptr, &background, nullptr, kBlendOver, 0, 1.0f, 1.0f), nullptr);
    EXPECT_EQ(Blend(&background, &background, nullptr, 19, 0, 1.0f, 1.0f), nullptr);
    EXPECT_EQ(Blend(&background, &background, nullptr, 25, 0, 1.0f, 1.0f), nullptr);

    RefPtr<Image> copy(Blend(&background, nullptr, nullptr, kBlendAdd, 0, 1.0f, 1.0f));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetColorMode(), 2);
    ExpectPixel(*copy, 1, 1, 0.1f, 0.2f, 0.3f, 0.4f);

    Image out(1, 1);
    out.Fill(7.0f, 7.0f, 7.0f, 7.0f);
    EXPECT_FALSE(BlendInto(out, &background, &background, nullptr, 3, 0, 1.0f, 1.0f));
    ExpectPixel(out, 0, 0, 7.0f, 7.0f, 7.0f, 7.0f);
}

// Odd sizes exercise the row walk and the loop tails; every pixel is checked against the
// formula, inside and outside the region that foreground and mask cover.
TEST(BlendTest, MatchesPerPixelFormulaOnMismatchedSizes) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto random_image = [&](uint32_t width, uint32_t height) {
        Image image(width, height);
        for (size_t i = 0; i < image.GetNumFloats(); ++i) {
            image.GetData()[i] = unit(random);
        }
        return image;
    };
    const Image background = random_image(37, 11);
    const Image foreground = random_image(29, 13);
    const Image mask = random_image(41, 9);
    const float opacity = 0.8f;
    const float scale = 1.5f;

    Image out(3, 3);
    ASSERT_TRUE(BlendInto(out, &background, &foreground, &mask, kBlendOver, 0, opacity, scale));
    ASSERT_EQ(out.GetWidth(), 37u);
    ASSERT_EQ(out.GetHeight(), 11u);
    for (uint32_t y = 0; y < 11; ++y) {
        for (uint32_t x = 0; x < 37; ++x) {
            const float* b = background.GetPixel(x, y);
            if (x >= 29 || y >= 9) {
                ExpectPixel(out, x, y, b[0], b[1], b[2], b[3]);
                continue;
            }
            const float* f = foreground.GetPixel(x, y);
            const float fa = f[3] * opacity * mask.GetPixel(x, y)[0] * scale;
            const float bw = b[3] * (1.0f - fa);
            const float a = fa + bw;
            const float* o = out.GetPixel(x, y);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(o[c], (f[c] * fa + b[c] * bw) / a, 1e-5f) << x << "," << y;
            }
            EXPECT_NEAR(o[3], a, 1e-6f);
        }
    }
}
