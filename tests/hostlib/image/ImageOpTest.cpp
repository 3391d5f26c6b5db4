#include "host/ImageOp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "host/Blend.h"
#include "host/RefPtr.h"
#include "tests/hostlib/image/PixelTest.h"

// Clamp limits every channel to [0, 1] and takes NaN to 0; Multiply scales all four channels.
TEST(ImageOpTest, MultiplyAndClamp) {
    Image image = MakeImage(2, 1, {2.0f, -1.0f, 0.5f, 3.0f, std::nanf(""), 1.5f, 0.2f, 0.4f});
    ImageOp::Multiply(&image, 0.5f);
    ImageOp::Clamp(&image);
    ExpectPixel(image, 0, 0, {1.0f, 0.0f, 0.25f, 1.0f});
    ExpectPixel(image, 1, 0, {0.0f, 0.75f, 0.1f, 0.2f});
}

TEST(BlendTest, ModesMatchHandComputedPixels) {
    struct Case {
        int mode;
        Rgba background, foreground;
        float opacity;
        Rgba expected;
    };
    const Rgba b = {.2f, .5f, 1, .5f};
    const Rgba f = {.6f, .25f, 2, .25f};
    const Case cases[] = {
        // Straight alpha: alpha 0.5 + 0.5 x 0.5; colour (f 0.5 + b 0.25) / 0.75.
        {kBlendOver, {.2f, .4f, .6f, .5f}, {1, 0, 0, .5f}, 1, {.55f / .75f, .1f / .75f, .2f, .75f}},
        {kBlendOver, {0, 0, 0, 1}, {1, 1, 1, 1}, .5f, {.5f, .5f, .5f, 1}},
        // A clear foreground keeps the background, colour included.
        {kBlendOver, {.2f, .4f, .6f, .5f}, {.9f, .9f, .9f, 0}, 1, {.2f, .4f, .6f, .5f}},
        // Both clear: colour 0, not a division by zero.
        {kBlendOver, {.3f, .3f, .3f, 0}, {.9f, .9f, .9f, 0}, 1, {0, 0, 0, 0}},
        // Over a clear background the foreground keeps its colour.
        {kBlendOver, {.3f, .3f, .3f, 0}, {1, 0, 0, .5f}, 1, {1, 0, 0, .5f}},
        {kBlendAdd, b, f, 1, {.8f, .75f, 3, .75f}},
        {kBlendMultiply, b, f, 1, {.12f, .125f, 2, .125f}},
        {kBlendMinimum, b, f, 1, {.2f, .25f, 1, .25f}},
        {kBlendMaximum, b, f, 1, {.6f, .5f, 2, .5f}},
    };
    // Mask red 0.25 scaled by 2 weighs 0.5; the mask's other channels do not count.
    const Image mask = OnePixel({.25f, 9, 9, 9});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const Image background = OnePixel(c.background);
        const Image foreground = OnePixel(c.foreground);
        RefPtr<Image> out(Blend(&background, &foreground, nullptr, c.mode, 0, c.opacity, 1));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->GetRefCount(), 1u);
        ExpectPixel(*out, 0, 0, c.expected);
        if (c.mode == kBlendOver) {
            continue;
        }
        // The channel modes mix their result into the background by the weight.
        Rgba halfway;
        std::transform(b.begin(), b.end(), c.expected.begin(), halfway.begin(),
                       [](float x, float y) { return (x + y) / 2; });
        out = Blend(&background, &foreground, nullptr, c.mode, 0, .5f, 1);
        ExpectPixel(*out, 0, 0, halfway);
        out = Blend(&background, &foreground, &mask, c.mode, 0, 1, 2);
        ExpectPixel(*out, 0, 0, halfway);
        out = Blend(&background, &foreground, nullptr, c.mode, 0, 0, 1);
        ExpectPixel(*out, 0, 0, b);
    }
}

// Odd sizes exercise the row walk and the loop tails. Every pixel is checked against the formulas,
// inside and outside the region that foreground and mask cover.
TEST(BlendTest, BlendAndMixMatchPerPixelFormulasOnMismatchedSizes) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto random_image = [&](uint32_t width, uint32_t height) {
        Image image(width, height);
        std::generate_n(image.GetData(), image.GetNumFloats(), [&] { return unit(random); });
        return image;
    };
    const Image background = random_image(37, 11);
    const Image mask = random_image(41, 9);
    const float weight = 0.8f * 1.5f;  // opacity x mask scale
    // Foregrounds narrower and taller than the background, as wide and shorter (whole rows in one
    // run), and wider (rows at another stride).
    for (const auto& [width, height] :
         {std::pair{29u, 13u}, std::pair{37u, 5u}, std::pair{40u, 5u}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const Image foreground = random_image(width, height);
        Image out(3, 3);
        ASSERT_TRUE(BlendInto(out, &background, &foreground, &mask, kBlendOver, 0, 0.8f, 1.5f));
        RefPtr<Image> mixed(ImageOp::MixBgFgImages(&background, &foreground, "add"));
        ASSERT_TRUE(out.GetWidth() == 37 && out.GetHeight() == 11 && mixed &&
                    mixed->GetNumPixels() == 37 * 11);
        for (uint32_t y = 0; y < 11; ++y) {
            for (uint32_t x = 0; x < 37; ++x) {
                const float* b = background.GetPixel(x, y);
                const float* f = x < width && y < height ? foreground.GetPixel(x, y) : nullptr;
                Rgba blended = {b[0], b[1], b[2], b[3]};
                Rgba added = blended;
                const bool masked = f && y < 9;
                if (masked) {
                    const float fa = f[3] * weight * mask.GetPixel(x, y)[0];
                    const float bw = b[3] * (1.0f - fa);
                    for (int c = 0; c < 3; ++c) {
                        blended[c] = (f[c] * fa + b[c] * bw) / (fa + bw);
                    }
                    blended[3] = fa + bw;
                }
                for (int c = 0; f && c < 4; ++c) {
                    added[c] += f[c];
                }
                // Pixels outside are copied exactly.
                ExpectPixel(out, x, y, blended, masked ? 1e-5f : 0.0f);
                ExpectPixel(*mixed, x, y, added, 0.0f);
            }
        }
    }
}
