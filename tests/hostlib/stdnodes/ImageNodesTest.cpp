#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/ImageFile.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/Threads.h"
#include "hostlib/stdnodes/BlurNode.h"
#include "hostlib/stdnodes/NoiseNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/ReaderNode.h"
#include "hostlib/stdnodes/SolidNode.h"
#include "tests/hostlib/stdnodes/StandardNodeTest.h"

namespace {

bool SamePixels(const Image* a, const Image* b) {
    return a && b && a->GetNumFloats() == b->GetNumFloats() &&
           std::equal(a->GetData(), a->GetData() + a->GetNumFloats(), b->GetData());
}

}  // namespace

class ImageNodesTest : public StandardNodeTest {
protected:
    NoiseNode* AddNoise(double width, double height, double scale) {
        NoiseNode* noise = Add<NoiseNode>();
        SetNumber(noise, "width", width);
        SetNumber(noise, "height", height);
        SetNumber(noise, "scale", scale);
        return noise;
    }
};

TEST_F(ImageNodesTest, GeneratorsRefuseSizesOutOfRange) {
    // Solid's width comes from a connection, Noise's height from its own attribute.
    NumberNode* number = Add<NumberNode>();
    SolidNode* solid = Add<SolidNode>();
    Connect(number, solid, "width");
    NoiseNode* noise = AddNoise(2.0, 2.0, 8.0);
    const struct {
        Node* node;
        Node* source;
        const char* attribute;
    } cases[] = {{solid, number, "value"}, {noise, noise, "height"}};
    for (const auto& c : cases) {
        for (double bad : {-5.0, 0.4, 16384.6, std::nan("")}) {
            SCOPED_TRACE(testing::Message() << c.node->GetTypeName() << " " << bad);
            SetNumber(c.source, c.attribute, bad);
            EXPECT_EQ(Evaluate(c.node).m_image, nullptr);
            EXPECT_EQ(c.node->GetStateMessage(0), "Width and height must be from 1 to 16384.");
        }
        SetNumber(c.source, c.attribute, 3.0);
        ASSERT_NE(Evaluate(c.node).m_image, nullptr);
        EXPECT_EQ(c.node->GetState(0), 0u);
    }
}

// The generators and filters split rows and columns between threads; the bits must not change.
TEST_F(ImageNodesTest, NoiseAndBlurGiveTheSameBitsWithAnyNumberOfThreads) {
    NoiseNode* noise = AddNoise(517, 389, 7.3);
    BlurNode* blur = Add<BlurNode>();
    Connect(noise, blur, "image");
    std::vector<RefPtr<Image>> results;
    for (const int threads : {1, 4}) {
        Threads::SetLimit(threads);
        for (const double radius : {3.0, 600.0}) {
            SetNumber(blur, "radius", radius);
            results.emplace_back(new Image(*Evaluate(blur).m_image));
            results.emplace_back(new Image(*Evaluate(noise).m_image));
        }
    }
    Threads::SetLimit(0);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(SamePixels(results[i].Get(), results[i + 4].Get()));
    }
}

TEST_F(ImageNodesTest, ReaderReadsRelativeToTheProjectKeepsItsImageAndReportsUnreadableFiles) {
    ScopedTemporaryDirectory folder;
    std::string error;
    ASSERT_TRUE(folder.Create(error)) << error;
    auto path_of = [&](const std::string& name) { return folder.GetPath() + "/" + name; };
    auto write_png = [&](const std::string& name, float red) {
        Image image(3, 2);
        image.Fill(red, 0.5f, 0.0f, 1.0f);
        ASSERT_TRUE(ImageFile::Write(image, path_of(name), error)) << error;
    };
    m_graph->SetFilePath(path_of("project.qmr"));
    ReaderNode* reader = Add<ReaderNode>();
    auto read = [&](const std::string& path) {
        reader->GetAttribute("path")->SetString(path, false);
        reader->SetDirtyAllOutplugs();
        return Evaluate(reader).m_image;
    };

    EXPECT_TRUE(read("") == nullptr && reader->GetState(0) == 0);
    EXPECT_EQ(read("picture.png"), nullptr);
    EXPECT_EQ(reader->GetStateMessage(0), "Cannot read image file.");
    // Once the file is there, the next evaluation reads it and the state clears.
    write_png("picture.png", 1.0f);
    const Image* image = read("picture.png");
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(reader->GetState(0) == 0 && image->GetPixel(2, 1)[0] == 1.0f);
    // The same resolved path is not read again, even when the file changes or disappears.
    std::filesystem::remove(path_of("picture.png"));
    EXPECT_EQ(read("picture.png"), image);
    write_png("other.png", 0.0f);
    const Image* other = read(path_of("other.png"));
    EXPECT_TRUE(other && other->GetPixel(0, 0)[0] == 0.0f);
}
