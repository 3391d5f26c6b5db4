#include "host/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "host/RefPtr.h"

namespace {

bool AllEqual(const Image& image, float value) {
    return std::all_of(image.GetData(), image.GetData() + image.GetNumFloats(),
                       [value](float v) { return v == value; });
}

}  // namespace

TEST(ImageTest, NewImagesAreClearAlignedAndReuseFreedBuffers) {
    Image image(5, 3, 2);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.GetData()) % 64, 0u);
    EXPECT_TRUE(AllEqual(image, 0.0f));
    EXPECT_EQ(image.GetPixel(4, 2), image.GetData() + 56);
    EXPECT_EQ(Image(7, 0).GetData(), nullptr);
    EXPECT_THROW(Image(0xFFFFFFFFu, 0xFFFFFFFFu), std::bad_alloc);

    float* first = nullptr;
    {
        Image freed(96, 80);
        freed.Fill(1.0f, 2.0f, 3.0f, 4.0f);
        first = freed.GetData();
    }
    Image reused(80, 96);  // same number of pixels
    EXPECT_EQ(reused.GetData(), first);
    EXPECT_TRUE(AllEqual(reused, 0.0f));
    // Resize keeps the buffer for the same pixel count and changes it otherwise.
    reused.Resize(96, 80);
    EXPECT_EQ(reused.GetData(), first);
    reused.Resize(10, 10);
    EXPECT_NE(reused.GetData(), first);
}

TEST(ImageTest, CopiesAreDeepAndAssignmentKeepsAFittingBuffer) {
    RefPtr<Image> original(new Image(4, 2, 2));
    original->Fill(0.25f, 0.5f, 0.75f, 1.0f);
    original->GetPixel(3, 1)[0] = 9.0f;

    // A copy starts without references of its own.
    RefPtr<Image> copy(new Image(*original));
    EXPECT_EQ(copy->GetRefCount(), 1u);
    EXPECT_EQ(copy->GetColorMode(), 2);
    EXPECT_EQ(copy->GetPixel(3, 1)[0], 9.0f);
    copy->GetPixel(0, 0)[0] = -1.0f;
    EXPECT_EQ(original->GetPixel(0, 0)[0], 0.25f);

    Image other(1, 1);
    Image same(2, 4);
    const float* kept = same.GetData();
    for (Image* target : {&other, &same}) {
        *target = *original;
        EXPECT_TRUE(target->GetWidth() == 4 && target->GetColorMode() == 2);
        EXPECT_EQ(target->GetPixel(3, 1)[0], 9.0f);
    }
    EXPECT_EQ(same.GetData(), kept);
}

// Threads making and freeing images through the shared pool must never get the same buffer.
TEST(ImageTest, ThreadsShareTheBufferPoolSafely) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 2000; ++i) {
                RefPtr<Image> image(new Image(16 + (i + t) % 3, 16, 1));
                image->Fill(float(t), 0.0f, 0.0f, 1.0f);
                RefPtr<Image> copy(new Image(*image));
                ASSERT_TRUE(AllEqual(Image(copy->GetWidth(), copy->GetHeight()), 0.0f));
                ASSERT_EQ(copy->GetPixel(3, 3)[0], float(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}
