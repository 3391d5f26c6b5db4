#include <gtest/gtest.h>

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"

// Every standard type is registered from the host library, and its interface, factory and nodes
// agree on its type and name.
TEST(StandardNodeLibraryTest, RegistersEveryTypeWithAMatchingFactory) {
    const NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    size_t count = 0;
    for (const NodeTypeRegistry::Entry* entry : registry.GetEntries()) {
        if (entry->m_source != "libquillmar_host.so") {
            continue;
        }
        SCOPED_TRACE(entry->m_name);
        ++count;
        ASSERT_TRUE(entry->m_interface);
        EXPECT_EQ(entry->m_interface->GetFactory(), entry->m_factory.Get());
        EXPECT_FALSE(entry->m_interface->GetCategory().empty());
        RefPtr<Node> node(registry.CreateNode(entry->m_type));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetNodeType(), entry->m_type);
        EXPECT_EQ(node->GetTypeName(), entry->m_name);
        EXPECT_EQ(node->GetNumOutplugs(), 1u);
    }
    EXPECT_EQ(count, 17u);
}
