#include "host/Image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "host/RefPtr.h"

namespace {

bool AllEqual(const Image& image, float value) {
    for (size_t i = 0; i < image.GetNumFloats(); ++i) {
        if (image.GetData()[i] != value) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(ImageTest, NewImagesAreTransparentBlackAndAligned) {
    Image image(5, 3, 2);
    EXPECT_EQ(image.GetWidth(), 5u);
    EXPECT_EQ(image.GetHeight(), 3u);
    EXPECT_EQ(image.GetColorMode(), 2);
    EXPECT_EQ(image.GetNumFloats(), 60u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.GetData()) % 64, 0u);
    EXPECT_TRUE(AllEqual(image, 0.0f));
    EXPECT_EQ(image.GetPixel(4, 2), image.GetData() + 56);

    Image empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.GetData(), nullptr);
    Image flat(7, 0);
    EXPECT_TRUE(flat.IsEmpty());
}

TEST(ImageTest, CopiesAreIndependent) {
    Image original(4, 2, 2);
    original.Fill(0.25f, 0.5f, 0.75f, 1.0f);
    original.GetPixel(3, 1)[0] = 9.0f;

    Image copy(original);
    EXPECT_NE(copy.GetData(), original.GetData());
    EXPECT_EQ(copy.GetColorMode(), 2);
    EXPECT_EQ(copy.GetPixel(3, 1)[0], 9.0f);
    EXPECT_EQ(copy.GetPixel(0, 0)[2], 0.75f);
    copy.GetPixel(0, 0)[0] = -1.0f;
    EXPECT_EQ(original.GetPixel(0, 0)[0], 0.25f);

    // Assignment across sizes, and onto an image of the same size.
    Image other(1, 1);
    other = original;
    EXPECT_EQ(other.GetWidth(), 4u);
    EXPECT_EQ(other.GetPixel(3, 1)[0], 9.0f);
    Image same(4, 2);
    float* kept = same.GetData();
    same = original;
    EXPECT_EQ(same.GetData(), kept);
    EXPECT_EQ(same.GetPixel(3, 1)[0], 9.0f);
    same = same;
    EXPECT_EQ(same.GetPixel(3, 1)[0], 9.0f);

    // A copy starts without references of its own.
    RefPtr<Image> counted(new Image(2, 2));
    RefPtr<Image> copied(new Image(*counted));
    EXPECT_EQ(counted->GetRefCount(), 1u);
    EXPECT_EQ(copied->GetRefCount(), 1u);
}

TEST(ImageTest, FreedBuffersAreReusedAndCleared) {
    float* first = nullptr;
    {
        Image image(96, 80);
        image.Fill(1.0f, 2.0f, 3.0f, 4.0f);
        first = image.GetData();
    }
    Image reused(80, 96);  // same number of pixels
    EXPECT_EQ(reused.GetData(), first);
    EXPECT_TRUE(AllEqual(reused, 0.0f));

    // Resize keeps the buffer for the same pixel count and changes it otherwise.
    reused.Resize(96, 80);
    EXPECT_EQ(reused.GetData(), first);
    EXPECT_EQ(reused.GetWidth(), 96u);
    reused.Resize(10, 10);
    EXPECT_EQ(reused.GetNumFloats(), 400u);
    EXPECT_NE(reused.GetData(), nullptr);
}

TEST(ImageTest, ImagesCanBeReleasedOnOtherThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
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

TEST(ImageTest, ImpossibleSizesThrow) {
    EXPECT_THROW(Image(0xFFFFFFFFu, 0xFFFFFFFFu), std::bad_alloc);
}
