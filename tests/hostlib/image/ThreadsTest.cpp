#include "host/Threads.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "host/Blend.h"
#include "host/ImageOp.h"
#include "host/RefPtr.h"

namespace {

// Values of every kind the kernels treat specially: negatives, above one, NaN.
Image Noisy(uint32_t width, uint32_t height, unsigned seed) {
    Image image(width, height, 2, Image::Uninitialised{});
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-0.5f, 1.5f);
    for (size_t i = 0; i < image.GetNumFloats(); ++i) {
        image.GetData()[i] = i % 997 == 0 ? std::numeric_limits<float>::quiet_NaN() : value(random);
    }
    return image;
}

bool SameBits(const Image& a, const Image& b) {
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::memcmp(a.GetData(), b.GetData(), a.GetNumFloats() * sizeof(float)) == 0;
}

class ThreadsTest : public ::testing::Test {
protected:
    void TearDown() override { Threads::SetLimit(0); }
};

}  // namespace

// Large enough to be split into blocks; odd sizes so that blocks end mid-way through rows of
// pixels, and inputs narrower and shorter than the background take the row-by-row paths.
TEST_F(ThreadsTest, ImageOperationsGiveTheSameBitsWithAnyNumberOfThreads) {
    const Image background = Noisy(613, 301, 1);
    const Image same_size = Noisy(613, 301, 2);
    const Image narrow = Noisy(401, 377, 3);
    const Image short_image = Noisy(613, 150, 4);
    const Image mask = Noisy(613, 301, 5);
    using Operation = std::function<Image*()>;
    const auto in_place = [&](const std::function<void(Image*)>& change) {
        return [&, change] {
            Image* image = new Image(background);
            change(image);
            return image;
        };
    };
    const std::pair<const char*, Operation> operations[] = {
        {"mix add", [&] { return ImageOp::MixBgFgImages(&background, &same_size, "add"); }},
        {"mix min narrow", [&] { return ImageOp::MixBgFgImages(&background, &narrow, "min"); }},
        {"mix max short", [&] { return ImageOp::MixBgFgImages(&background, &short_image, "max"); }},
        {"blend over masked",
         [&] { return Blend(&background, &same_size, &mask, kBlendOver, 0, 0.7f, 1.0f); }},
        {"blend add narrow",
         [&] { return Blend(&background, &narrow, nullptr, kBlendAdd, 0, 0.5f, 1.0f); }},
        {"multiply", in_place([](Image* image) { ImageOp::Multiply(image, 0.3f); })},
        {"clamp", in_place([](Image* image) { ImageOp::Clamp(image); })},
        {"fill", in_place([](Image* image) { image->Fill(0.1f, 0.2f, 0.3f, 0.4f); })},
        {"zeroed", [&] { return new Image(613, 301, 1); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        Threads::SetLimit(1);
        const RefPtr<Image> one(operation());
        Threads::SetLimit(4);
        const RefPtr<Image> several(operation());
        ASSERT_TRUE(one && several);
        EXPECT_TRUE(SameBits(*one, *several));
    }
}
