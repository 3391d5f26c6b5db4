#include "host/Manager.h"

#include <gtest/gtest.h>

#include "host/Node.h"
#include "host/RefPtr.h"
#include "tests/hostlib/registry/plugins/TestNode.h"

namespace {

TEST(Manager, RemembersDirectoriesByKey) {
    Manager* manager = Manager::Get();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(Manager::Get(), manager);

    EXPECT_EQ(manager->GetDirectory("Never Set"), "");
    manager->SetDirectory("Projects", "/home/user/projects");
    manager->SetDirectory("projects", "/elsewhere");
    EXPECT_EQ(manager->GetDirectory("Projects"), "/home/user/projects");
    EXPECT_EQ(manager->GetDirectory("projects"), "/elsewhere") << "keys are case-sensitive";
    manager->SetDirectory("Projects", "/tmp");
    EXPECT_EQ(manager->GetDirectory("Projects"), "/tmp");
}

TEST(Manager, KeepsTheDisplayNodeAliveUntilReplaced) {
    Manager* manager = Manager::Get();
    RefPtr<Node> first(new TestNode(NodeType(10, 86, 1), "First"));
    RefPtr<Node> second(new TestNode(NodeType(10, 86, 2), "Second"));

    manager->SetDisplayNode(first.Get(), 3);
    EXPECT_EQ(manager->GetDisplayNode(), first.Get());
    EXPECT_EQ(manager->GetDisplayOutplug(), 3u);
    EXPECT_EQ(first->GetRefCount(), 2u);

    manager->SetDisplayNode(second.Get(), 0);
    EXPECT_EQ(first->GetRefCount(), 1u);
    EXPECT_EQ(manager->GetDisplayNode(), second.Get());
    EXPECT_EQ(manager->GetDisplayOutplug(), 0u);

    manager->SetDisplayNode(nullptr, Manager::kNoOutplug);
    EXPECT_EQ(manager->GetDisplayNode(), nullptr);
    EXPECT_EQ(manager->GetDisplayOutplug(), Manager::kNoOutplug);
    EXPECT_EQ(second->GetRefCount(), 1u);
}

}  // namespace
