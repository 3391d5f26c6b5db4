#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
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
struct LoadedModule {
    void* m_handle = nullptr;
    std::string m_error;
    decltype(&GetLibraryInterface) m_get_library_interface = nullptr;
    decltype(&GetNumNodeInterfaces) m_get_num_node_interfaces = nullptr;
    decltype(&GetNodeInterface) m_get_node_interface = nullptr;
};

const LoadedModule& Module() {
    static const LoadedModule module = [] {
        LoadedModule loaded;
        loaded.m_handle = dlopen(QM_PROJECT_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!loaded.m_handle) {
            loaded.m_error = dlerror();
            return loaded;
        }
        loaded.m_get_library_interface = reinterpret_cast<decltype(&GetLibraryInterface)>(
            dlsym(loaded.m_handle, "GetLibraryInterface"));
        loaded.m_get_num_node_interfaces = reinterpret_cast<decltype(&GetNumNodeInterfaces)>(
            dlsym(loaded.m_handle, "GetNumNodeInterfaces"));
        loaded.m_get_node_interface = reinterpret_cast<decltype(&GetNodeInterface)>(
            dlsym(loaded.m_handle, "GetNodeInterface"));
        return loaded;
    }();
    return module;
}

class ProjectModuleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Module().m_handle, nullptr) << Module().m_error;
        ASSERT_NE(Module().m_get_library_interface, nullptr);
        ASSERT_NE(Module().m_get_num_node_interfaces, nullptr);
        ASSERT_NE(Module().m_get_node_interface, nullptr);
    }

    static RefPtr<NodeInterface> Interface(uint64_t index) {
        return Module().m_get_node_interface(index);
    }
};

struct PublishedType {
    const char* m_name;
    uint32_t m_type;
    const char* m_icon;
    const char* m_display_mode;
};

// In GetNodeInterface's index order.
const PublishedType kPublishedTypes[] = {
    {"Attributes", 0, "Attributes", "mask"},
    {"Number IO", 26, "NumberIO", "mask"},
    {"Point IO", 32, "PointIO", "mask"},
    {"Frame IO", 37, "FrameIO", "mask"},
    {"Image IO", 53, "ImageIO", "composition"},
    {"Material IO", 69, "MaterialIO", "composition"},
    {"Image Switch", 74, "ImageSwitch", "as_is"},
    {"Material Switch", 80, "MaterialSwitch", "as_is"},
    {"Loop Iterations", 10, "LoopIterations", "mask"},
    {"Node Graph", 5, "NodeGraph", "mask"},
};

const std::string kIconFolder = ":/Project/Resources/Icons/";

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

TEST(ProjectModuleResources, IconsArriveWithTheModule) {
    const QString icon = ":/Project/Resources/Icons/NumberIO.png";
    // Each test runs in a process of its own under ctest, so the module is normally not loaded yet.
    if (!dlopen(QM_PROJECT_MODULE, RTLD_NOW | RTLD_NOLOAD)) {
        EXPECT_FALSE(QFile::exists(icon));
    }
    ASSERT_NE(Module().m_handle, nullptr) << Module().m_error;
    EXPECT_TRUE(QFile::exists(icon));
}

TEST_F(ProjectModuleTest, LibraryInterfaceIsNamedProject) {
    // The host keeps the descriptor for the life of the process and never deletes it (it has no
    // virtual destructor); so does the test.
    static LibraryInterface* const descriptor = Module().m_get_library_interface();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->GetName(), "Project");
    EXPECT_EQ(descriptor->GetDescription(), "");
}

TEST_F(ProjectModuleTest, PublishesTheTenTypesInIndexOrder) {
    ASSERT_EQ(Module().m_get_num_node_interfaces(), std::size(kPublishedTypes));
    for (uint64_t index = 0; index < std::size(kPublishedTypes); ++index) {
        const PublishedType& expected = kPublishedTypes[index];
        SCOPED_TRACE(expected.m_name);
        RefPtr<NodeInterface> node_interface = Interface(index);
        ASSERT_TRUE(node_interface);
        const NodeType type(10, 1, expected.m_type);
        EXPECT_EQ(node_interface->GetName(), expected.m_name);
        EXPECT_EQ(node_interface->GetNodeType(), type);
        EXPECT_EQ(node_interface->GetCategory(), "Project");
        EXPECT_EQ(node_interface->GetDisplayMode(), expected.m_display_mode);

        const std::string icon = node_interface->GetIconPath();
        const std::string small_icon = node_interface->GetSmallIconPath();
        EXPECT_EQ(icon, kIconFolder + expected.m_icon + ".png");
        EXPECT_EQ(small_icon, kIconFolder + expected.m_icon + "12.png");
        EXPECT_EQ(QImage(QString::fromStdString(icon)).size(), QSize(32, 32));
        EXPECT_EQ(QImage(QString::fromStdString(small_icon)).size(), QSize(12, 12));

        NodeFactory* factory = node_interface->GetFactory();
        ASSERT_NE(factory, nullptr);
        EXPECT_EQ(factory->GetNodeType(), type);
        EXPECT_EQ(factory->GetName(), expected.m_name);
        const RefPtr<Node> node = factory->CreateNode();
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetNodeType(), type);
        EXPECT_EQ(node->GetTypeName(), expected.m_name);
    }
}

TEST_F(ProjectModuleTest, OffersTheUnpublishedIoTypesForTheHostToCreate) {
    static LibraryInterface* const descriptor = Module().m_get_library_interface();
    ASSERT_NE(descriptor, nullptr);
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

TEST_F(ProjectModuleTest, EveryCallMakesFreshObjectsThatOwnTheirFactory) {
    for (uint64_t index = 0; index < std::size(kPublishedTypes); ++index) {
        SCOPED_TRACE(index);
        RefPtr<NodeInterface> first = Interface(index);
        RefPtr<NodeInterface> second = Interface(index);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first.Get(), second.Get());
        EXPECT_EQ(first->GetRefCount(), 1u);

        RefPtr<NodeFactory> factory = first->GetFactory();
        ASSERT_TRUE(factory);
        EXPECT_NE(factory.Get(), second->GetFactory());
        EXPECT_EQ(factory->GetRefCount(), 2u);
        first.Reset();
        EXPECT_EQ(factory->GetRefCount(), 1u);
    }
}

TEST_F(ProjectModuleTest, IndicesPastTheLastGiveNull) {
    EXPECT_TRUE(Interface(9));
    for (uint64_t index : {uint64_t{10}, uint64_t{11}, uint64_t{1} << 32, UINT64_MAX}) {
        EXPECT_EQ(Module().m_get_node_interface(index), nullptr) << index;
    }
}

}  // namespace
