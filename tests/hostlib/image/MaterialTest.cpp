#include "host/Material.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(MaterialTest, HoldsImagesByNameInTemplateOrderAndCopiesThemDeeply) {
    RefPtr<Material> material(new Material(MaterialTemplate::Pbr()));
    RefPtr<Image> height(new Image(1, 1));
    RefPtr<Image> extra(new Image(1, 1));
    RefPtr<Image> base(new Image(2, 1, 2));
    base->Fill(0.3f, 0.3f, 0.3f, 1.0f);
    material->SetImage("height", height.Get());
    material->SetImage("extra", extra.Get());
    material->SetImage("base_color", base.Get());
    EXPECT_EQ(height->GetRefCount(), 2u);
    EXPECT_EQ(material->GetImage("base_color"), base.Get());
    EXPECT_EQ(material->GetImage("normal"), nullptr);
    EXPECT_EQ(material->GetImageNames(), (Names{"base_color", "height", "extra"}));

    // A copy holds copies of the images, which outlive the original.
    RefPtr<Material> copy(new Material(*material));
    EXPECT_EQ(copy->GetRefCount(), 1u);
    EXPECT_EQ(copy->GetTemplate().GetName(), "pbr");
    EXPECT_EQ(copy->GetImageNames(), (Names{"base_color", "height", "extra"}));
    const Image* copied = copy->GetImage("base_color");
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, base.Get());
    EXPECT_EQ(copied->GetColorMode(), 2);

    // Replacing drops the old reference; null removes the entry.
    material->SetImage("height", extra.Get());
    EXPECT_EQ(height->GetRefCount(), 1u);
    EXPECT_EQ(material->GetImage("height"), extra.Get());
    base->Fill(0.9f, 0.9f, 0.9f, 1.0f);
    material->SetImage("base_color", nullptr);
    material->SetImage("not_there", nullptr);
    EXPECT_EQ(base->GetRefCount(), 1u);
    EXPECT_EQ(material->GetImageNames(), (Names{"height", "extra"}));
    material = nullptr;
    EXPECT_EQ(copied->GetPixel(1, 0)[0], 0.3f);
}
