#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "host/Material.h"
#include "hostlib/stdnodes/BlendNode.h"
#include "hostlib/stdnodes/BlurNode.h"
#include "hostlib/stdnodes/ImageSizeNode.h"
#include "hostlib/stdnodes/MaterialImageNode.h"
#include "hostlib/stdnodes/MaterialNode.h"
#include "hostlib/stdnodes/NoiseNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/SolidNode.h"
#include "hostlib/stdnodes/WriterNode.h"
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

void SetSize(Node* node, double width, double height) {
    node->GetAttribute("width")->SetNumber(width, false);
    node->GetAttribute("height")->SetNumber(height, false);
}

}  // namespace

using ImageNodesTest = StandardNodeTest;

TEST_F(ImageNodesTest, SolidFillsItsSizeAndRefusesBadSizes) {
    SolidNode* solid = Add<SolidNode>();
    const Node::Value defaults = Evaluate(solid);
    ASSERT_NE(defaults.m_image, nullptr);
    EXPECT_EQ(defaults.m_image->GetWidth(), 256u);
    EXPECT_EQ(defaults.m_image->GetPixel(255, 255)[3], 1.0f);

    SetSize(solid, 3.4, 2.0);
    solid->GetAttribute("color")->SetRgbo({0.25, 0.5, 2.0, 0.75}, false);
    const Image* image = Evaluate(solid).m_image;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 3u);
    EXPECT_EQ(image->GetHeight(), 2u);
    EXPECT_EQ(image->GetColorMode(), 1);
    for (size_t p = 0; p < image->GetNumPixels(); ++p) {
        const float* pixel = image->GetData() + 4 * p;
        EXPECT_EQ(pixel[0], 0.25f);
        EXPECT_EQ(pixel[1], 0.5f);
        EXPECT_EQ(pixel[2], 2.0f);
        EXPECT_EQ(pixel[3], 0.75f);
    }

    // A size from a connected number is checked too.
    NumberNode* number = Add<NumberNode>();
    SetNumber(number, "value", -5.0);
    Connect(number, solid, "width");
    EXPECT_EQ(Evaluate(solid).m_image, nullptr);
    EXPECT_EQ(solid->GetState(0), 1u);
    EXPECT_FALSE(solid->GetStateMessage(0).empty());
    SetNumber(number, "value", 4.0);
    ASSERT_NE(Evaluate(solid).m_image, nullptr);
    EXPECT_EQ(solid->GetState(0), 0u);
}

TEST_F(ImageNodesTest, ImagesHeldElsewhereAreNotOverwritten) {
    SolidNode* solid = Add<SolidNode>();
    SetSize(solid, 2.0, 2.0);
    solid->GetAttribute("color")->SetRgbo({1.0, 0.0, 0.0, 1.0}, false);
    RefPtr<Image> held(Evaluate(solid).m_image);
    solid->GetAttribute("color")->SetRgbo({0.0, 1.0, 0.0, 1.0}, false);
    const Image* second = Evaluate(solid).m_image;
    EXPECT_NE(second, held.Get());
    EXPECT_EQ(held->GetPixel(1, 1)[0], 1.0f);
    EXPECT_EQ(second->GetPixel(1, 1)[1], 1.0f);

    // Nobody else holds the second image: the next run refills it in place.
    solid->GetAttribute("color")->SetRgbo({0.0, 0.0, 1.0, 1.0}, false);
    const Image* third = Evaluate(solid).m_image;
    EXPECT_EQ(third, second);
    EXPECT_EQ(third->GetPixel(0, 0)[2], 1.0f);
}

TEST_F(ImageNodesTest, NoiseIsDeterministicGreyAndOpaque) {
    NoiseNode* first = Add<NoiseNode>();
    NoiseNode* second = Add<NoiseNode>();
    for (NoiseNode* noise : {first, second}) {
        SetSize(noise, 40.0, 30.0);
        SetNumber(noise, "seed", 12.0);
        SetNumber(noise, "scale", 8.0);
    }
    const Image* a = Evaluate(first).m_image;
    const Image* b = Evaluate(second).m_image;
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetColorMode(), 1);
    EXPECT_TRUE(std::equal(a->GetData(), a->GetData() + a->GetNumFloats(), b->GetData()));

    float low = 1.0f;
    float high = 0.0f;
    for (size_t p = 0; p < a->GetNumPixels(); ++p) {
        const float* pixel = a->GetData() + 4 * p;
        EXPECT_EQ(pixel[0], pixel[1]);
        EXPECT_EQ(pixel[0], pixel[2]);
        EXPECT_EQ(pixel[3], 1.0f);
        low = std::min(low, pixel[0]);
        high = std::max(high, pixel[0]);
    }
    EXPECT_GE(low, 0.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_GT(high - low, 0.3f);
    // Smooth at the grid's scale: neighbours differ much less than the whole range.
    EXPECT_LT(std::abs(a->GetPixel(10, 10)[0] - a->GetPixel(11, 10)[0]), 0.2f);

    SetNumber(second, "seed", 13.0);
    const Image* other = Evaluate(second).m_image;
    EXPECT_FALSE(std::equal(a->GetData(), a->GetData() + a->GetNumFloats(), other->GetData()));

    SetNumber(second, "scale", 0.0);
    EXPECT_EQ(Evaluate(second).m_image, nullptr);
    EXPECT_EQ(second->GetState(0), 1u);
}

TEST_F(ImageNodesTest, BlurSpreadsABrightPixelKeepingItsSum) {
    RefPtr<Image> spot(new Image(9, 9, 2));
    std::fill_n(spot->GetPixel(4, 4), 4, 25.0f);
    BlurNode* blur = Add<BlurNode>();
    Connect(Add<ImageSourceNode>(spot.Get()), blur, "image");
    SetNumber(blur, "radius", 1.6);  // rounds to 2
    const Image* out = Evaluate(blur).m_image;
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out, spot.Get());
    EXPECT_EQ(out->GetColorMode(), 2);
    double sum = 0.0;
    for (uint32_t y = 0; y < 9; ++y) {
        for (uint32_t x = 0; x < 9; ++x) {
            const bool inside = x >= 2 && x <= 6 && y >= 2 && y <= 6;
            EXPECT_NEAR(out->GetPixel(x, y)[1], inside ? 1.0f : 0.0f, 1e-6f) << x << "," << y;
            sum += out->GetPixel(x, y)[3];
        }
    }
    EXPECT_NEAR(sum, 25.0, 1e-4);
}

TEST_F(ImageNodesTest, BlurRepeatsEdgesAndNeedsAnInput) {
    // A ramp across x: with edges repeated, the first pixel's window at radius 1 is
    // (v0 + v0 + v1) / 3 across and the same value down the columns.
    RefPtr<Image> ramp(new Image(4, 3));
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            std::fill_n(ramp->GetPixel(x, y), 4, float(x));
        }
    }
    BlurNode* blur = Add<BlurNode>();
    EXPECT_EQ(Evaluate(blur).m_image, nullptr);
    Connect(Add<ImageSourceNode>(ramp.Get()), blur, "image");
    const Image* out = Evaluate(blur).m_image;
    ASSERT_NE(out, nullptr);
    for (uint32_t y = 0; y < 3; ++y) {
        EXPECT_NEAR(out->GetPixel(0, y)[0], 1.0f / 3.0f, 1e-6f);
        EXPECT_NEAR(out->GetPixel(1, y)[0], 1.0f, 1e-6f);
        EXPECT_NEAR(out->GetPixel(3, y)[0], 8.0f / 3.0f, 1e-6f);
    }

    // A radius far beyond the image gives the mean weighted toward the edges, not garbage.
    SetNumber(blur, "radius", 1000.0);
    out = Evaluate(blur).m_image;
    EXPECT_NEAR(out->GetPixel(0, 0)[0], (1001.0f * 0 + 1 + 2 + 998.0f * 3) / 2001.0f, 1e-4f);

    SetNumber(blur, "radius", 0.0);
    out = Evaluate(blur).m_image;
    EXPECT_TRUE(std::equal(out->GetData(), out->GetData() + out->GetNumFloats(), ramp->GetData()));
}

TEST_F(ImageNodesTest, BlendCompositesForegroundOverBackground) {
    SolidNode* background = Add<SolidNode>();
    SetSize(background, 4.0, 4.0);
    background->GetAttribute("color")->SetRgbo({1.0, 0.0, 0.0, 1.0}, false);
    SolidNode* foreground = Add<SolidNode>();
    SetSize(foreground, 2.0, 2.0);
    foreground->GetAttribute("color")->SetRgbo({0.0, 0.0, 1.0, 0.5}, false);
    BlendNode* blend = Add<BlendNode>();
    EXPECT_EQ(Evaluate(blend).m_image, nullptr);
    Connect(background, blend, "background");

    // Without foreground: a copy of the background.
    const Image* copy = Evaluate(blend).m_image;
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, background->GetImageValue(0));
    EXPECT_EQ(copy->GetPixel(3, 3)[0], 1.0f);

    Connect(foreground, blend, "foreground");
    const Image* over = Evaluate(blend).m_image;
    ASSERT_EQ(over->GetWidth(), 4u);
    EXPECT_FLOAT_EQ(over->GetPixel(1, 1)[0], 0.5f);
    EXPECT_FLOAT_EQ(over->GetPixel(1, 1)[2], 0.5f);
    EXPECT_FLOAT_EQ(over->GetPixel(1, 1)[3], 1.0f);
    EXPECT_EQ(over->GetPixel(2, 1)[0], 1.0f);
    EXPECT_EQ(over->GetPixel(2, 1)[2], 0.0f);

    blend->GetAttribute("mode")->SetChoice("add", false);
    SetNumber(blend, "opacity", 0.5);
    const Image* added = Evaluate(blend).m_image;
    EXPECT_FLOAT_EQ(added->GetPixel(0, 0)[0], 1.0f);
    EXPECT_FLOAT_EQ(added->GetPixel(0, 0)[2], 0.5f);
    EXPECT_FLOAT_EQ(added->GetPixel(0, 0)[3], 1.25f);
}

TEST_F(ImageNodesTest, ImageSizeGivesWidthAndHeight) {
    ImageSizeNode* size = Add<ImageSizeNode>();
    const Node::Value none = Evaluate(size);
    EXPECT_EQ(none.m_type, Node::Value::Point);
    EXPECT_EQ(none.m_point, (Point{}));
    SolidNode* solid = Add<SolidNode>();
    SetSize(solid, 30.0, 20.0);
    Connect(solid, size, "image");
    EXPECT_EQ(Evaluate(size).m_point, (Point{30.0, 20.0}));
}

TEST_F(ImageNodesTest, MaterialHoldsCopiesThatMaterialImageTakesOut) {
    SolidNode* solid = Add<SolidNode>();
    SetSize(solid, 2.0, 2.0);
    solid->GetAttribute("color")->SetRgbo({0.2, 0.4, 0.6, 1.0}, false);
    NoiseNode* noise = Add<NoiseNode>();
    SetSize(noise, 5.0, 3.0);
    MaterialNode* material = Add<MaterialNode>();
    Connect(solid, material, "base_color");
    Connect(noise, material, "height");

    const Node::Value value = Evaluate(material);
    ASSERT_EQ(value.m_type, Node::Value::Material);
    const Material* made = value.m_material;
    EXPECT_EQ(made->GetTemplate().GetName(), "pbr");
    EXPECT_EQ(made->GetImageNames(), (std::vector<std::string>{"base_color", "height"}));
    EXPECT_NE(made->GetImage("base_color"), solid->GetImageValue(0));
    EXPECT_EQ(made->GetImage("base_color")->GetPixel(1, 1)[1], 0.4f);

    MaterialImageNode* pick = Add<MaterialImageNode>();
    Connect(material, pick, "material");
    pick->GetAttribute("channel")->SetChoice("height", false);
    const Image* height = Evaluate(pick).m_image;
    ASSERT_NE(height, nullptr);
    EXPECT_NE(height, made->GetImage("height"));
    const Image* noise_image = noise->GetImageValue(0);
    EXPECT_TRUE(std::equal(height->GetData(), height->GetData() + height->GetNumFloats(),
                           noise_image->GetData()));

    pick->GetAttribute("channel")->SetChoice("normal", false);
    EXPECT_EQ(Evaluate(pick).m_image, nullptr);

    // A material held elsewhere is left as it was when the inputs change.
    RefPtr<Material> held(material->GetMaterialValue(0));
    Engine::Get()->DisconnectInplug(material, material->FindInplug("height"));
    const Material* next = Evaluate(material).m_material;
    EXPECT_NE(next, held.Get());
    EXPECT_EQ(next->GetImageNames(), (std::vector<std::string>{"base_color"}));
    EXPECT_EQ(held->GetImageNames().size(), 2u);
}

TEST_F(ImageNodesTest, WriterPassesACopyOn) {
    WriterNode* writer = Add<WriterNode>();
    writer->GetAttribute("path")->SetString("out/result.png", false);
    EXPECT_EQ(writer->GetPath(), "out/result.png");
    EXPECT_EQ(Evaluate(writer).m_image, nullptr);

    SolidNode* solid = Add<SolidNode>();
    SetSize(solid, 3.0, 1.0);
    Connect(solid, writer, "image");
    const Image* out = Evaluate(writer).m_image;
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out, solid->GetImageValue(0));
    EXPECT_EQ(out->GetWidth(), 3u);
}

TEST_F(ImageNodesTest, InactiveImageNodesGiveNoImage) {
    SolidNode* solid = Add<SolidNode>();
    SetSize(solid, 2.0, 2.0);
    BlurNode* blur = Add<BlurNode>();
    Connect(solid, blur, "image");
    WriterNode* writer = Add<WriterNode>();
    Connect(blur, writer, "image");
    ASSERT_NE(Evaluate(writer).m_image, nullptr);

    blur->SetActive(false);
    EXPECT_EQ(Evaluate(blur).m_image, nullptr);
    EXPECT_EQ(Evaluate(writer).m_image, nullptr);
    solid->SetActive(false);
    EXPECT_EQ(Evaluate(solid).m_image, nullptr);
}
