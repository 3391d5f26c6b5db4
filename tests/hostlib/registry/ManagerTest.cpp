#include "host/Manager.h"

#include <gtest/gtest.h>

#include "host/RefPtr.h"
#include "tests/hostlib/registry/plugins/TestTypes.h"

TEST(Manager, RemembersDirectoriesByCaseSensitiveKeyAndHoldsTheDisplayNode) {
    Manager* manager = Manager::Get();
    ASSERT_EQ(Manager::Get(), manager);
    EXPECT_EQ(manager->GetDirectory("Never Set"), "");
    manager->SetDirectory("Projects", "/home/user/projects");
    manager->SetDirectory("projects", "/elsewhere");
    manager->SetDirectory("Projects", "/tmp");
    EXPECT_EQ(manager->GetDirectory("Projects"), "/tmp");
    EXPECT_EQ(manager->GetDirectory("projects"), "/elsewhere");

    RefPtr<Node> first(new TestNode(NodeType(10, 86, 1), "First"));
    RefPtr<Node> second(new TestNode(NodeType(10, 86, 2), "Second"));
    manager->SetDisplayNode(first.Get(), 3);
    EXPECT_EQ(first->GetRefCount(), 2u);
    manager->SetDisplayNode(second.Get(), 0);
    EXPECT_EQ(first->GetRefCount(), 1u) << "the replaced node is not released";
    EXPECT_EQ(manager->GetDisplayNode(), second.Get());
    EXPECT_EQ(manager->GetDisplayOutplug(), 0u);
    manager->SetDisplayNode(nullptr, Manager::kNoOutplug);
    EXPECT_EQ(second->GetRefCount(), 1u);
    EXPECT_EQ(manager->GetDisplayNode(), nullptr);
}
