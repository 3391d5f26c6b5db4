#include "host/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <thread>
#include <vector>

#include "host/RefPtr.h"

namespace {

bool AllEqual(const Image& image, float value) {
    return std::all_of(image.GetData(), image.GetData() + image.GetNumFloats(),
                       [value](float v) { return v == value; });
}

}  // namespace

// Buffers are pooled: a new image is clear even when it reuses a freed one, and a copy is deep.
TEST(ImageTest, NewImagesAreClearAndCopiesAreDeep) {
    float* freed_data = nullptr;
    {
        Image freed(96, 80);
        freed.Fill(1.0f, 2.0f, 3.0f, 4.0f);
        freed_data = freed.GetData();
    }
    Image reused(80, 96);  // same number of pixels
    ASSERT_EQ(reused.GetData(), freed_data);
    EXPECT_TRUE(AllEqual(reused, 0.0f));
    EXPECT_EQ(Image(7, 0).GetData(), nullptr);
    EXPECT_THROW(Image(0xFFFFFFFFu, 0xFFFFFFFFu), std::bad_alloc);

    RefPtr<Image> original(new Image(4, 2, 2));
    original->Fill(0.25f, 0.5f, 0.75f, 1.0f);
    original->GetPixel(3, 1)[0] = 9.0f;
    RefPtr<Image> copy(new Image(*original));
    Image smaller(1, 1);
    smaller = *original;
    copy->GetPixel(0, 0)[0] = -1.0f;
    for (const Image* target : {copy.Get(), &smaller}) {
        EXPECT_TRUE(target->GetWidth() == 4 && target->GetColorMode() == 2 &&
                    target->GetPixel(3, 1)[0] == 9.0f);
    }
    EXPECT_EQ(original->GetPixel(0, 0)[0], 0.25f);
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
