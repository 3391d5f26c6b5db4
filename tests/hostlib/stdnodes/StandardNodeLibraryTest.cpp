#include <gtest/gtest.h>

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"

namespace {

struct ExpectedType {
    NodeType m_type;
    const char* m_name;
    const char* m_category;
    // Attribute names, then regular inputs, in inplug order.
    std::vector<std::string> m_inplugs;
    const char* m_outplug;
    Node::Value::Type m_outplug_type;
};

}  // namespace

// Every standard type is registered under its number and name, and its nodes have the plugs that
// projects connect by name.
TEST(StandardNodeLibraryTest, RegistersEveryTypeWithItsPlugs) {
    using V = Node::Value;
    const ExpectedType expected[] = {
        {{10, 2, 0}, "Number", "Value", {"value"}, "number", V::Number},
        {{10, 2, 1}, "Math", "Value", {"operation", "a", "b"}, "number", V::Number},
        {{10, 2, 2}, "Point", "Value", {"x", "y"}, "point", V::Point},
        {{10, 2, 3}, "Frame", "Value", {"x", "y", "width", "height"}, "frame", V::Frame},
        {{10, 2, 4}, "Color", "Value", {"color"}, "color", V::Rgbo},
        {{10, 2, 5}, "Boolean", "Value", {"value"}, "bool", V::Boolean},
        {{10, 2, 6}, "Text", "Value", {"value"}, "string", V::String},
        {{10, 3, 0}, "Solid", "Image", {"width", "height", "color"}, "image", V::Image},
        {{10, 3, 1}, "Noise", "Image", {"width", "height", "seed", "scale"}, "image", V::Image},
        {{10, 3, 2}, "Blur", "Image", {"radius", "image"}, "image", V::Image},
        {{10, 3, 3},
         "Blend",
         "Image",
         {"mode", "opacity", "background", "foreground"},
         "image",
         V::Image},
        {{10, 3, 4}, "Image Size", "Image", {"image"}, "size", V::Point},
        {{10, 4, 0},
         "Material",
         "Material",
         {"base_color", "normal", "roughness", "metallic", "height"},
         "material",
         V::Material},
        {{10, 4, 1}, "Material Image", "Material", {"channel", "material"}, "image", V::Image},
        {{10, 5, 0}, "Curve", "Curve", {"start", "end"}, "curves", V::Curve},
        {{10, 15, 0}, "Reader", "File", {"path"}, "image", V::Image},
        {{10, 16, 0}, "Writer", "File", {"path", "image"}, "image", V::Image},
    };
    const NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    for (const ExpectedType& type : expected) {
        SCOPED_TRACE(type.m_name);
        const NodeTypeRegistry::Entry* entry = registry.Find(type.m_type);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_name, type.m_name);
        ASSERT_TRUE(entry->m_interface);
        EXPECT_EQ(entry->m_interface->GetName(), type.m_name);
        EXPECT_EQ(entry->m_interface->GetNodeType(), type.m_type);
        EXPECT_EQ(entry->m_interface->GetCategory(), type.m_category);
        EXPECT_EQ(entry->m_interface->GetFactory(), entry->m_factory.Get());
        EXPECT_EQ(entry->m_source, "libquillmar_host.so");

        RefPtr<Node> node(registry.CreateNode(type.m_type));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetNodeType(), type.m_type);
        EXPECT_EQ(node->GetTypeName(), type.m_name);
        ASSERT_EQ(node->GetNumInplugs(), type.m_inplugs.size());
        for (uint32_t i = 0; i < node->GetNumInplugs(); ++i) {
            EXPECT_EQ(node->GetInplugName(i), type.m_inplugs[i]);
        }
        ASSERT_EQ(node->GetNumOutplugs(), 1u);
        EXPECT_EQ(node->GetOutplugName(0), type.m_outplug);
        EXPECT_EQ(node->GetOutplugValueType(0), type.m_outplug_type);
    }
}
