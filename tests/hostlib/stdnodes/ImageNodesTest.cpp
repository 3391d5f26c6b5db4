#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/ImageFile.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/Threads.h"
#include "hostlib/stdnodes/BlurNode.h"
#include "hostlib/stdnodes/ImageSizeNode.h"
#include "hostlib/stdnodes/NoiseNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/ReaderNode.h"
#include "hostlib/stdnodes/SolidNode.h"
#include "tests/hostlib/stdnodes/StandardNodeTest.h"

namespace {

// A node that hands out an image the test controls, standing in for any image source.
class ImageSourceNode : public Node {
public:
    explicit ImageSourceNode(Image* image) : m_image(image) {
        m_outplug_declarations.push_back({0, Value::Image, "image", 0});
        UpdateInplugsAndOutplugs();
    }
    NodeType GetNodeType() const override { return {99, 0, 0}; }
    std::string GetTypeName() const override { return "Source"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    Image* GetImageValue(uint32_t) override { return m_image.Get(); }

private:
    RefPtr<Image> m_image;
};

std::vector<float> PixelOf(const Image* image, uint32_t x, uint32_t y) {
    return {image->GetPixel(x, y), image->GetPixel(x, y) + 4};
}

bool SamePixels(const Image* a, const Image* b) {
    return a && b && a->GetNumFloats() == b->GetNumFloats() &&
           std::equal(a->GetData(), a->GetData() + a->GetNumFloats(), b->GetData());
}

}  // namespace

class ImageNodesTest : public StandardNodeTest {
protected:
    SolidNode* AddSolid(double width, double height, const Rgbo& color) {
        SolidNode* solid = Add<SolidNode>();
        SetNumber(solid, "width", width);
        SetNumber(solid, "height", height);
        solid->GetAttribute("color")->SetRgbo(color, false);
        return solid;
    }
    NoiseNode* AddNoise(double width, double height, double scale) {
        NoiseNode* noise = Add<NoiseNode>();
        SetNumber(noise, "width", width);
        SetNumber(noise, "height", height);
        SetNumber(noise, "scale", scale);
        return noise;
    }
};

TEST_F(ImageNodesTest, SolidFillsItsImageInPlaceUnlessHeldElsewhere) {
    SolidNode* solid = AddSolid(3.4, 2.0, {0.25, 0.5, 2.0, 0.75});
    RefPtr<Image> held(Evaluate(solid).m_image);
    ASSERT_TRUE(held);
    EXPECT_EQ(PixelOf(held.Get(), 2, 1), (std::vector<float>{0.25f, 0.5f, 2.0f, 0.75f}));
    ImageSizeNode* size = Add<ImageSizeNode>();
    Connect(solid, size, "image");
    EXPECT_EQ(Evaluate(size).m_point, (Point{3.0, 2.0}));

    solid->GetAttribute("color")->SetRgbo({0.0, 1.0, 0.0, 1.0}, false);
    const Image* second = Evaluate(solid).m_image;
    EXPECT_NE(second, held.Get());
    EXPECT_EQ(held->GetPixel(1, 1)[0], 0.25f);
    // Nobody else holds the second image: the next run refills it in place.
    solid->GetAttribute("color")->SetRgbo({0.0, 0.0, 1.0, 1.0}, false);
    const Image* third = Evaluate(solid).m_image;
    EXPECT_EQ(third, second);
    EXPECT_EQ(third->GetPixel(0, 0)[2], 1.0f);
}

TEST_F(ImageNodesTest, GeneratorsRefuseSizesOutOfRange) {
    // Solid's width comes from a connection, Noise's height from its own attribute.
    NumberNode* number = Add<NumberNode>();
    SolidNode* solid = AddSolid(2.0, 2.0, {});
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

TEST_F(ImageNodesTest, BlurRepeatsEdges) {
    // A ramp 1, 2, 3, 4 across x: with edges repeated, the first pixel's window at radius 1 is
    // (v0 + v0 + v1) / 3 across and the same value down the columns.
    RefPtr<Image> ramp(new Image(4, 3));
    for (uint32_t p = 0; p < 12; ++p) {
        std::fill_n(ramp->GetPixel(p % 4, p / 4), 4, float(p % 4 + 1));
    }
    BlurNode* edges = Add<BlurNode>();
    Connect(Add<ImageSourceNode>(ramp.Get()), edges, "image");
    const Image* out = Evaluate(edges).m_image;
    ASSERT_NE(out, nullptr);
    for (uint32_t y = 0; y < 3; ++y) {
        EXPECT_NEAR(out->GetPixel(0, y)[0], 4.0f / 3.0f, 1e-6f);
        EXPECT_NEAR(out->GetPixel(3, y)[0], 11.0f / 3.0f, 1e-6f);
    }
    // A radius far beyond the image gives the mean weighted toward the edges, not garbage.
    SetNumber(edges, "radius", 1000.0);
    out = Evaluate(edges).m_image;
    EXPECT_NEAR(out->GetPixel(0, 0)[0], (1001.0f * 1 + 2 + 3 + 998.0f * 4) / 2001.0f, 1e-4f);
    SetNumber(edges, "radius", 0.0);
    EXPECT_TRUE(SamePixels(Evaluate(edges).m_image, ramp.Get()));
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
    reader->SetActive(false);
    EXPECT_EQ(Evaluate(reader).m_image, nullptr);
}
