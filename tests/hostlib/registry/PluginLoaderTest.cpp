#include "host/PluginLoader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/LibraryInterface.h"
#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"

namespace {

std::string FolderOf(const std::string& file) {
    return std::filesystem::path(file).parent_path().string();
}

bool IsLoaded(const std::string& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    return handle && dlclose(handle) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PluginLoader, GoodPluginIsToldItLoadedAndLoadsOnce) {
    const std::string path = QM_TEST_PLUGIN_GOOD;
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    PluginLoader& loader = PluginLoader::Get();
    const PluginLoader::Report report = loader.LoadDirectories({FolderOf(path)});
    ASSERT_EQ(report.m_loaded, std::vector<std::string>{path});
    EXPECT_EQ(report.m_errors.size(), 2u);
    EXPECT_TRUE(registry.Find(NodeType(10, 90, 1)) && !registry.Find(NodeType(10, 90, 2)))
        << "the unpublished type, and not the one without a creation function";
    const PluginLoader::Plugin& plugin = loader.GetPlugins().back();
    ASSERT_TRUE(plugin.m_path == path && plugin.m_library);
    EXPECT_EQ(plugin.m_library->GetDescription(), "loaded") << "OnLoaded was not called";

    // The same file again, by folder or by a roundabout path, is skipped silently.
    const size_t count = registry.GetEntries().size();
    const PluginLoader::Report again = loader.LoadDirectories({FolderOf(path) + "/."});
    EXPECT_TRUE(again.m_loaded.empty() && again.m_errors.empty());
    EXPECT_TRUE(loader.LoadFile(FolderOf(path) + "/../good/good.so").m_loaded.empty());
    EXPECT_EQ(registry.GetEntries().size(), count);
}

// Each folder holds one plug-in that is wrong in one way, or none.
TEST(PluginLoader, FaultyPluginsLoadWhollyOrNotAtAll) {
    struct Case {
        std::string m_path;  // the plug-in, or the folder when it holds none
        uint32_t m_group;    // of the plug-in's type 10,group,0; 0 for none
        bool m_loads;
        const char* m_error;  // null for none
    };
    const std::string root = FolderOf(FolderOf(QM_TEST_PLUGIN_GOOD));
    const Case cases[] = {
        {QM_TEST_PLUGIN_BROKEN_COUNT, 94, false, "claims 18446744073709551615 node interfaces"},
        {QM_TEST_PLUGIN_MISSING_FUNCTION, 95, false, "does not export GetNodeInterface"},
        {QM_TEST_PLUGIN_NO_INTERFACE, 96, false, "offers no node interface"},
        {QM_TEST_PLUGIN_THROWING_INTERFACE, 92, false,
         "GetNodeInterface(1) failed: interface table is corrupt"},
        {QM_TEST_PLUGIN_NOT_ELF, 0, false, "cannot be loaded"},
        {QM_TEST_PLUGIN_NULL_INTERFACE, 93, true,
         "GetNodeInterface(1) returned no node interface; skipped"},
        {QM_TEST_PLUGIN_THROWING_FACTORY, 91, true, nullptr},
        {root + "/", 0, false, nullptr},  // holds only folders
        {root + "/no_such_folder/", 0, false, ""},
    };
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    PluginLoader& loader = PluginLoader::Get();
    for (const Case& test_case : cases) {
        SCOPED_TRACE(test_case.m_path);
        const std::string& path = test_case.m_path;
        const size_t count = registry.GetEntries().size();
        const size_t plugin_count = loader.GetPlugins().size();
        const PluginLoader::Report report = loader.LoadDirectories({FolderOf(path)});
        EXPECT_EQ(report.m_loaded.size(), test_case.m_loads ? 1u : 0u);
        EXPECT_EQ(loader.GetPlugins().size(), plugin_count + (test_case.m_loads ? 1 : 0));
        EXPECT_EQ(registry.GetEntries().size(), count + (test_case.m_loads ? 1 : 0));
        EXPECT_EQ(IsLoaded(path), test_case.m_loads);
        if (test_case.m_group != 0) {
            const NodeTypeRegistry::Entry* entry =
                registry.Find(NodeType(10, test_case.m_group, 0));
            EXPECT_EQ(entry != nullptr, test_case.m_loads);
            EXPECT_TRUE(!entry || entry->m_source == path) << entry->m_source;
        }
        if (!test_case.m_error) {
            EXPECT_TRUE(report.m_errors.empty()) << report.m_errors[0];
            continue;
        }
        ASSERT_EQ(report.m_errors.size(), 1u);
        const std::string& error = report.m_errors[0];
        const std::string named = path.ends_with('/') ? FolderOf(path) : path;
        EXPECT_TRUE(error.starts_with(named + ": ") && Contains(error, test_case.m_error)) << error;
        EXPECT_EQ(loader.GetErrors().back(), error);
    }

    // A throwing factory's exception reaches the caller and leaves the registry as it was.
    const size_t count = registry.GetEntries().size();
    EXPECT_THROW(registry.CreateNode(NodeType(10, 91, 0)), std::runtime_error);
    EXPECT_EQ(registry.GetEntries().size(), count);
    EXPECT_TRUE(RefPtr<Node>(registry.CreateNode(NodeType(10, 2, 0))));
}

}  // namespace
