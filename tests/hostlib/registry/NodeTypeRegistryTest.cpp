#include "host/NodeTypeRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Node.h"
#include "host/RefPtr.h"
#include "tests/hostlib/registry/plugins/TestNodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNodeInterface.h"

namespace {

// Test types use library 10, group 80 and up, which neither the host nor the plug-ins use.
RefPtr<NodeInterface> MakeInterface(const NodeType& type, const std::string& name) {
    return RefPtr<NodeInterface>(
        new TestNodeInterface(type, name, new TestNodeFactory(type, name)));
}

class ThrowingNameInterface : public TestNodeInterface {
public:
    using TestNodeInterface::TestNodeInterface;
    std::string GetName() const override { throw std::runtime_error("no name"); }
};

TEST(NodeTypeRegistry, RegistersFindsAndCreatesInRegistrationOrder) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const size_t count_before = registry.GetEntries().size();
    const NodeType first_type(10, 80, 1);
    const NodeType second_type(10, 80, 2);
    RefPtr<NodeInterface> first = MakeInterface(first_type, "First");
    RefPtr<NodeInterface> second = MakeInterface(second_type, "Second");

    ASSERT_TRUE(registry.Register(first.Get(), "first-source"));
    ASSERT_TRUE(registry.Register(second.Get(), "second-source"));
    EXPECT_EQ(first->GetRefCount(), 2u) << "the registry keeps its own reference";

    const std::vector<const NodeTypeRegistry::Entry*> entries = registry.GetEntries();
    ASSERT_EQ(entries.size(), count_before + 2);
    EXPECT_EQ(entries[count_before]->m_type, first_type);
    EXPECT_EQ(entries[count_before + 1]->m_type, second_type);

    const NodeTypeRegistry::Entry* found = registry.Find(first_type);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, entries[count_before]) << "Find and GetEntries hand out the same entry";
    EXPECT_EQ(found->m_name, "First");
    EXPECT_EQ(found->m_source, "first-source");
    EXPECT_EQ(found->m_interface.Get(), first.Get());
    EXPECT_EQ(found->m_factory.Get(), first->GetFactory());

    // Entries stay where they are while later types are added.
    for (uint32_t index = 0; index < 64; ++index) {
        RefPtr<NodeInterface> filler = MakeInterface(NodeType(10, 81, index), "Filler");
        ASSERT_TRUE(registry.Register(filler.Get(), "filler"));
    }
    EXPECT_EQ(registry.Find(first_type), found);
    EXPECT_EQ(found->m_name, "First");

    RefPtr<Node> node(registry.CreateNode(second_type));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetNodeType(), second_type);
    EXPECT_EQ(node->GetTypeName(), "Second");

    EXPECT_EQ(registry.Find(NodeType(10, 80, 999)), nullptr);
    EXPECT_EQ(registry.CreateNode(NodeType(10, 80, 999)), nullptr);
}

TEST(NodeTypeRegistry, RefusesTakenTypesAndInconsistentInterfaces) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const NodeType type(10, 82, 1);
    RefPtr<NodeInterface> original = MakeInterface(type, "Original");
    ASSERT_TRUE(registry.Register(original.Get(), "original-source"));
    const size_t count = registry.GetEntries().size();

    std::string reason;
    RefPtr<NodeInterface> duplicate = MakeInterface(type, "Duplicate");
    EXPECT_FALSE(registry.Register(duplicate.Get(), "duplicate-source", &reason));
    EXPECT_NE(reason.find("10,82,1"), std::string::npos) << reason;
    EXPECT_NE(reason.find("already registered"), std::string::npos) << reason;
    EXPECT_NE(reason.find("original-source"), std::string::npos) << reason;
    EXPECT_EQ(duplicate->GetRefCount(), 1u) << "a refused interface is not kept";

    reason.clear();
    RefPtr<NodeInterface> without_factory(
        new TestNodeInterface(NodeType(10, 82, 2), "Bare", nullptr));
    EXPECT_FALSE(registry.Register(without_factory.Get(), "bare-source", &reason));
    EXPECT_NE(reason.find("no factory"), std::string::npos) << reason;

    reason.clear();
    RefPtr<NodeInterface> mismatched(new TestNodeInterface(
        NodeType(10, 82, 3), "Mismatched", new TestNodeFactory(NodeType(10, 82, 4), "Other")));
    EXPECT_FALSE(registry.Register(mismatched.Get(), "mismatched-source", &reason));
    EXPECT_NE(reason.find("10,82,4"), std::string::npos) << reason;

    EXPECT_FALSE(registry.Register(nullptr, "null-source"));
    EXPECT_FALSE(registry.RegisterUnpublished(nullptr, "null-source"));

    EXPECT_EQ(registry.GetEntries().size(), count);
    EXPECT_EQ(registry.Find(type)->m_name, "Original");
    EXPECT_EQ(registry.Find(NodeType(10, 82, 2)), nullptr);
    EXPECT_EQ(registry.Find(NodeType(10, 82, 3)), nullptr);
    EXPECT_EQ(registry.Find(NodeType(10, 82, 4)), nullptr);
}

TEST(NodeTypeRegistry, UnpublishedTypesHaveNoInterfaceButCanBeCreated) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const NodeType type(10, 83, 1);
    RefPtr<NodeFactory> factory(new TestNodeFactory(type, "Hidden"));
    ASSERT_TRUE(registry.RegisterUnpublished(factory.Get(), "hidden-source"));

    const NodeTypeRegistry::Entry* entry = registry.Find(type);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->m_interface);
    EXPECT_EQ(entry->m_name, "Hidden");
    EXPECT_EQ(entry->m_source, "hidden-source");
    RefPtr<Node> node(registry.CreateNode(type));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetNodeType(), type);

    std::string reason;
    RefPtr<NodeInterface> published = MakeInterface(type, "Published");
    EXPECT_FALSE(registry.Register(published.Get(), "published-source", &reason));
    EXPECT_NE(reason.find("already registered"), std::string::npos) << reason;
    EXPECT_EQ(registry.Find(type)->m_name, "Hidden");
}

TEST(NodeTypeRegistry, RegisterAllSkipsRefusalsAndRegistersNothingWhenAnInterfaceThrows) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const size_t count_before = registry.GetEntries().size();

    RefPtr<NodeInterface> valid = MakeInterface(NodeType(10, 84, 1), "Valid");
    RefPtr<NodeInterface> throwing(new ThrowingNameInterface(
        NodeType(10, 84, 2), "Throwing", new TestNodeFactory(NodeType(10, 84, 2), "Throwing")));
    EXPECT_THROW(registry.RegisterAll({valid.Get(), throwing.Get()}, "throwing-batch"),
                 std::runtime_error);
    EXPECT_EQ(registry.GetEntries().size(), count_before);
    EXPECT_EQ(registry.Find(NodeType(10, 84, 1)), nullptr);

    RefPtr<NodeInterface> twin = MakeInterface(NodeType(10, 84, 1), "Twin");
    RefPtr<NodeInterface> bare(new TestNodeInterface(NodeType(10, 84, 3), "Bare", nullptr));
    RefPtr<NodeInterface> last = MakeInterface(NodeType(10, 84, 4), "Last");
    const std::vector<std::string> refusals =
        registry.RegisterAll({valid.Get(), twin.Get(), bare.Get(), last.Get()}, "batch");
    ASSERT_EQ(refusals.size(), 2u);
    const std::vector<const NodeTypeRegistry::Entry*> entries = registry.GetEntries();
    ASSERT_EQ(entries.size(), count_before + 2);
    EXPECT_EQ(entries[count_before]->m_name, "Valid");
    EXPECT_EQ(entries[count_before + 1]->m_name, "Last");
    EXPECT_EQ(entries[count_before + 1]->m_source, "batch");
}

TEST(NodeTypeRegistry, StandardTypesAreThereFromTheStart) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    for (const auto& [type, name] :
         std::vector<std::pair<NodeType, std::string>>{{NodeType(10, 2, 0), "Number"},
                                                       {NodeType(10, 3, 0), "Solid"},
                                                       {NodeType(10, 16, 0), "Writer"}}) {
        const NodeTypeRegistry::Entry* entry = registry.Find(type);
        ASSERT_NE(entry, nullptr) << type.ToString();
        EXPECT_EQ(entry->m_name, name);
        RefPtr<Node> node(registry.CreateNode(type));
        ASSERT_TRUE(node) << type.ToString();
        EXPECT_EQ(node->GetNodeType(), type);
    }
}

}  // namespace
