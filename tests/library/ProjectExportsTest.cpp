#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/LibraryInterface.h"
#include "host/Node.h"
#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"
#include "library/ProjectExports.h"

namespace {

// Loaded once per process and never unloaded, as the host does.
void* Module() {
    static void* const handle = dlopen(QM_PROJECT_MODULE, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function>
Function* EntryPoint(const char* name) {
    EXPECT_NE(Module(), nullptr) << dlerror();
    Function* found = Module() ? reinterpret_cast<Function*>(dlsym(Module(), name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// In GetNodeInterface's index order: the name users see and the type id project files store.
const std::pair<const char*, uint32_t> kPublishedTypes[] = {
    {"Attributes", 0},       {"Number IO", 26},   {"Point IO", 32},     {"Frame IO", 37},
    {"Image IO", 53},        {"Material IO", 69}, {"Image Switch", 74}, {"Material Switch", 80},
    {"Loop Iterations", 10}, {"Node Graph", 5},
};

TEST(ProjectModuleSymbols, ExportsOnlyTheThreeEntryPoints) {
    QProcess nm;
    nm.start(QM_NM, {"-D", "--defined-only", "--format=posix", QM_PROJECT_MODULE});
    ASSERT_TRUE(nm.waitForFinished()) << nm.errorString().toStdString();
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();

    std::set<std::string> names;
    const QStringList lines =
        QString::fromUtf8(nm.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        names.insert(line.section(' ', 0, 0).toStdString());
    }
    const std::set<std::string> expected = {"GetLibraryInterface", "GetNodeInterface",
                                            "GetNumNodeInterfaces"};
    EXPECT_EQ(names, expected);
}

// Every call makes a fresh interface that owns its factory; indices past the last give null.
TEST(ProjectModule, PublishesTheTenTypesInIndexOrderWithTheirIcons) {
    auto* get_node_interface = EntryPoint<decltype(GetNodeInterface)>("GetNodeInterface");
    auto* get_num_node_interfaces =
        EntryPoint<decltype(GetNumNodeInterfaces)>("GetNumNodeInterfaces");
    ASSERT_TRUE(get_node_interface && get_num_node_interfaces);
    ASSERT_EQ(get_num_node_interfaces(), std::size(kPublishedTypes));
    for (uint64_t index = 0; index < std::size(kPublishedTypes); ++index) {
        const auto& [name, kind] = kPublishedTypes[index];
        SCOPED_TRACE(name);
        RefPtr<NodeInterface> node_interface = get_node_interface(index);
        RefPtr<NodeInterface> second = get_node_interface(index);
        ASSERT_TRUE(node_interface && second);
        EXPECT_NE(node_interface.Get(), second.Get());
        EXPECT_EQ(node_interface->GetRefCount(), 1u);
        const NodeType type(10, 1, kind);
        EXPECT_EQ(node_interface->GetName(), name);
        EXPECT_EQ(node_interface->GetNodeType(), type);
        EXPECT_EQ(node_interface->GetCategory(), "Project");
        EXPECT_EQ(QImage(QString::fromStdString(node_interface->GetIconPath())).size(),
                  QSize(32, 32));
        EXPECT_EQ(QImage(QString::fromStdString(node_interface->GetSmallIconPath())).size(),
                  QSize(12, 12));

        RefPtr<NodeFactory> factory = node_interface->GetFactory();
        ASSERT_TRUE(factory);
        EXPECT_NE(factory.Get(), second->GetFactory());
        EXPECT_EQ(factory->GetNodeType(), type);
        EXPECT_EQ(factory->GetName(), name);
        const RefPtr<Node> node = factory->CreateNode();
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetNodeType(), type);
        EXPECT_EQ(node->GetTypeName(), name);
        EXPECT_EQ(factory->GetRefCount(), 2u);
        node_interface.Reset();
        EXPECT_EQ(factory->GetRefCount(), 1u);
    }
    for (uint64_t index : {uint64_t{10}, uint64_t{11}, uint64_t{1} << 32, UINT64_MAX}) {
        EXPECT_EQ(get_node_interface(index), nullptr) << index;
    }
}

TEST(ProjectModule, LibraryIsNamedProjectAndOffersTheUnpublishedIoTypes) {
    auto* get_library_interface = EntryPoint<decltype(GetLibraryInterface)>("GetLibraryInterface");
    ASSERT_NE(get_library_interface, nullptr);
    // The host keeps the descriptor for the life of the process and never deletes it (it has no
    // virtual destructor); so does the test.
    static LibraryInterface* const descriptor = get_library_interface();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->GetName(), "Project");
    EXPECT_EQ(descriptor->GetDescription(), "");
    const std::vector<LibraryInterface::UnpublishedNodeType> types =
        descriptor->GetUnpublishedNodeTypes();
    ASSERT_EQ(types.size(), 3u);
    const std::pair<uint32_t, const char*> expected[] = {
        {21, "Boolean IO"}, {42, "Rgbo IO"}, {64, "Curves IO"}};
    for (size_t index = 0; index < types.size(); ++index) {
        const NodeType type(10, 1, expected[index].first);
        EXPECT_EQ(types[index].m_type, type);
        EXPECT_EQ(types[index].m_name, expected[index].second);
        ASSERT_NE(types[index].m_create, nullptr);
        const RefPtr<Node> node = types[index].m_create();
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetNodeType(), type);
        EXPECT_EQ(node->GetTypeName(), expected[index].second);
    }
}

}  // namespace
