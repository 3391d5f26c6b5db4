#include "host/NodeTypeRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Node.h"
#include "host/RefPtr.h"
#include "tests/hostlib/registry/plugins/TestTypes.h"

namespace {

// These tests use types 10,80..89,*, which neither the host nor the test plug-ins use.
RefPtr<NodeInterface> MakeInterface(const NodeType& type, const std::string& name) {
    return RefPtr<NodeInterface>(
        new TestNodeInterface(type, name, new TestNodeFactory(type, name)));
}

class ThrowingNameInterface : public TestNodeInterface {
public:
    using TestNodeInterface::TestNodeInterface;
    std::string GetName() const override { throw std::runtime_error("no name"); }
};

TEST(NodeTypeRegistry, RegistersInOrderCreatesNodesAndKeepsEntriesInPlace) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const size_t count_before = registry.GetEntries().size();
    const NodeType first_type(10, 80, 1);
    const NodeType hidden(10, 80, 2);
    RefPtr<NodeInterface> first = MakeInterface(first_type, "First");
    ASSERT_TRUE(registry.Register(first.Get(), "first-source"));
    RefPtr<NodeFactory> hidden_factory(new TestNodeFactory(hidden, "Hidden"));
    ASSERT_TRUE(registry.RegisterUnpublished(hidden_factory.Get(), "hidden-source"));
    EXPECT_EQ(first->GetRefCount(), 2u) << "the registry keeps no reference of its own";

    const NodeTypeRegistry::Entry* found = registry.Find(first_type);
    const std::vector<const NodeTypeRegistry::Entry*> entries = registry.GetEntries();
    ASSERT_EQ(entries.size(), count_before + 2);
    ASSERT_EQ(entries[count_before], found);
    EXPECT_TRUE(found->m_interface == first && found->m_factory.Get() == first->GetFactory());
    EXPECT_TRUE(entries[count_before + 1]->m_type == hidden &&
                !entries[count_before + 1]->m_interface);

    for (uint32_t index = 0; index < 64; ++index) {
        const NodeType filler(10, 81, index);
        ASSERT_TRUE(registry.Register(MakeInterface(filler, "Filler").Get(), "filler"));
    }
    EXPECT_EQ(registry.Find(first_type), found) << "an entry moved when later types were added";
    for (const NodeType& type : {first_type, hidden}) {
        EXPECT_EQ(RefPtr<Node>(registry.CreateNode(type))->GetNodeType(), type);
    }
    EXPECT_EQ(registry.CreateNode(NodeType(10, 80, 999)), nullptr);
}

TEST(NodeTypeRegistry, RefusesTakenTypesAndBadInterfacesAndRegistersAllOrNothingOnThrow) {
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const NodeType taken(10, 82, 1);
    const NodeType hidden(10, 82, 2);
    ASSERT_TRUE(registry.Register(MakeInterface(taken, "Original").Get(), "original-source"));
    RefPtr<NodeFactory> hidden_factory(new TestNodeFactory(hidden, "Hidden"));
    ASSERT_TRUE(registry.RegisterUnpublished(hidden_factory.Get(), "hidden-source"));
    const size_t count = registry.GetEntries().size();
    const std::pair<RefPtr<NodeInterface>, std::string> refused[] = {
        {MakeInterface(taken, "Duplicate"),
         "type 10,82,1 (\"Duplicate\") is already registered as \"Original\" from original-source"},
        {MakeInterface(hidden, "Published"), "is already registered as \"Hidden\""},
        {RefPtr<NodeInterface>(new TestNodeInterface(NodeType(10, 82, 3), "Bare", nullptr)),
         "type 10,82,3 (\"Bare\") has no factory"},
        {RefPtr<NodeInterface>(new TestNodeInterface(
             NodeType(10, 82, 4), "Mismatched", new TestNodeFactory(NodeType(10, 82, 5), "Other"))),
         "has a factory of type 10,82,5"},
    };
    for (const auto& [node_interface, expected] : refused) {
        std::string reason;
        EXPECT_FALSE(registry.Register(node_interface.Get(), "refused-source", &reason));
        EXPECT_NE(reason.find(expected), std::string::npos) << reason;
        EXPECT_EQ(node_interface->GetRefCount(), 1u) << "a refused interface is kept: " << reason;
    }
    RefPtr<NodeFactory> taken_factory(new TestNodeFactory(taken, "Again"));
    EXPECT_FALSE(registry.RegisterUnpublished(taken_factory.Get(), "again-source"));
    EXPECT_FALSE(registry.Register(nullptr, "null-source"));
    EXPECT_EQ(registry.Find(taken)->m_name, "Original");

    // A batch skips refusals, unless an interface throws: then it registers nothing.
    RefPtr<NodeInterface> valid = MakeInterface(NodeType(10, 84, 1), "Valid");
    const NodeType throwing_type(10, 84, 2);
    RefPtr<NodeInterface> throwing(new ThrowingNameInterface(
        throwing_type, "Throwing", new TestNodeFactory(throwing_type, "Throwing")));
    EXPECT_THROW(registry.RegisterAll({valid.Get(), throwing.Get()}, "throwing-batch"),
                 std::runtime_error);
    EXPECT_EQ(registry.GetEntries().size(), count);
    RefPtr<NodeInterface> twin = MakeInterface(NodeType(10, 84, 1), "Twin");
    RefPtr<NodeInterface> last = MakeInterface(NodeType(10, 84, 4), "Last");
    EXPECT_EQ(
        registry.RegisterAll({valid.Get(), twin.Get(), refused[2].first.Get(), last.Get()}, "batch")
            .size(),
        2u);
    const std::vector<const NodeTypeRegistry::Entry*> entries = registry.GetEntries();
    ASSERT_EQ(entries.size(), count + 2);
    EXPECT_TRUE(entries[count]->m_name == "Valid" && entries[count + 1]->m_name == "Last" &&
                entries[count + 1]->m_source == "batch");
}

}  // namespace
