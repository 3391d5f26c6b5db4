#include "host/PluginLoader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
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
    if (!handle) {
        return false;
    }
    dlclose(handle);
    return true;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Sets or clears an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PluginLoader, GoodPluginRegistersItsTypesAndSkipsTheTakenOne) {
    const std::string path = QM_TEST_PLUGIN_GOOD;
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    PluginLoader& loader = PluginLoader::Get();

    const PluginLoader::Report report = loader.LoadDirectories({FolderOf(path)});
    ASSERT_EQ(report.m_loaded, std::vector<std::string>{path});
    ASSERT_EQ(report.m_errors.size(), 1u);
    const std::string& error = report.m_errors[0];
    EXPECT_TRUE(error.starts_with(path + ": ")) << error;
    EXPECT_TRUE(Contains(error, "10,2,0") && Contains(error, "already registered")) << error;

    const NodeTypeRegistry::Entry* good = registry.Find(NodeType(10, 90, 1));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(good->m_name, "Good Type");
    EXPECT_EQ(good->m_source, path);
    EXPECT_EQ(good->m_interface->GetCategory(), "Test");
    RefPtr<Node> node(registry.CreateNode(NodeType(10, 90, 1)));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetTypeName(), "Good Type");
    const NodeTypeRegistry::Entry* number = registry.Find(NodeType(10, 2, 0));
    ASSERT_NE(number, nullptr);
    EXPECT_NE(number->m_source, path) << "the standard type keeps its place";
    EXPECT_EQ(number->m_name, "Number");

    const std::vector<PluginLoader::Plugin>& plugins = loader.GetPlugins();
    const auto plugin = std::find_if(plugins.begin(), plugins.end(),
                                     [&](const auto& loaded) { return loaded.m_path == path; });
    ASSERT_NE(plugin, plugins.end());
    ASSERT_NE(plugin->m_library, nullptr);
    EXPECT_EQ(plugin->m_library->GetName(), "Good");
    EXPECT_EQ(plugin->m_library->GetDescription(), "loaded") << "OnLoaded was not called";
    const std::vector<std::string> paths = loader.GetLoadedPaths();
    EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end());
    const std::vector<std::string>& all_errors = loader.GetErrors();
    EXPECT_NE(std::find(all_errors.begin(), all_errors.end(), error), all_errors.end());

    // The same file again, by folder or by a roundabout path, is not loaded twice.
    const size_t count = registry.GetEntries().size();
    const PluginLoader::Report again = loader.LoadDirectories({FolderOf(path) + "/."});
    EXPECT_TRUE(again.m_loaded.empty());
    EXPECT_TRUE(again.m_errors.empty());
    EXPECT_TRUE(loader.LoadFile(FolderOf(path) + "/../good/good.so").m_loaded.empty());
    EXPECT_EQ(registry.GetEntries().size(), count);
}

TEST(PluginLoader, BrokenPluginsRegisterNothingAndAreClosed) {
    struct Case {
        std::string m_path;
        std::string m_reason;
        bool m_is_module;
    };
    const std::vector<Case> cases = {
        {QM_TEST_PLUGIN_BROKEN_COUNT, "claims 18446744073709551615 node interfaces", true},
        {QM_TEST_PLUGIN_MISSING_FUNCTION, "does not export GetNodeInterface", true},
        {QM_TEST_PLUGIN_NO_INTERFACE, "offers no node interface", true},
        {QM_TEST_PLUGIN_THROWING_INTERFACE,
         "GetNodeInterface(1) failed: interface table is corrupt", true},
        {QM_TEST_PLUGIN_NOT_ELF, "cannot be loaded", false},
    };
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    PluginLoader& loader = PluginLoader::Get();
    for (const Case& test_case : cases) {
        SCOPED_TRACE(test_case.m_path);
        const size_t count = registry.GetEntries().size();
        const size_t plugin_count = loader.GetPlugins().size();

        const PluginLoader::Report report = loader.LoadDirectories({FolderOf(test_case.m_path)});
        EXPECT_TRUE(report.m_loaded.empty());
        ASSERT_EQ(report.m_errors.size(), 1u);
        const std::string& error = report.m_errors[0];
        EXPECT_TRUE(error.starts_with(test_case.m_path + ": ")) << error;
        EXPECT_TRUE(Contains(error, test_case.m_reason)) << error;

        EXPECT_EQ(registry.GetEntries().size(), count);
        EXPECT_EQ(loader.GetPlugins().size(), plugin_count);
        EXPECT_EQ(loader.GetErrors().back(), error);
        if (test_case.m_is_module) {
            EXPECT_FALSE(IsLoaded(test_case.m_path)) << "a failed plug-in stays open";
        }
    }
    // The interface obtained before the throw is not registered either.
    EXPECT_EQ(registry.Find(NodeType(10, 92, 0)), nullptr);
}

TEST(PluginLoader, MissingIndexIsSkippedAndTheRestRegisters) {
    const std::string path = QM_TEST_PLUGIN_NULL_INTERFACE;
    const PluginLoader::Report report = PluginLoader::Get().LoadFile(path);
    EXPECT_EQ(report.m_loaded, std::vector<std::string>{path});
    ASSERT_EQ(report.m_errors.size(), 1u);
    EXPECT_TRUE(Contains(report.m_errors[0], "GetNodeInterface(1) returned no node interface"))
        << report.m_errors[0];
    const NodeTypeRegistry::Entry* entry = NodeTypeRegistry::Get().Find(NodeType(10, 94, 0));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_source, path);
}

TEST(PluginLoader, ThrowingFactoryLoadsAndItsExceptionReachesTheCaller) {
    const std::string path = QM_TEST_PLUGIN_THROWING_FACTORY;
    const PluginLoader::Report report = PluginLoader::Get().LoadFile(path);
    EXPECT_EQ(report.m_loaded, std::vector<std::string>{path});
    EXPECT_TRUE(report.m_errors.empty());

    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const size_t count = registry.GetEntries().size();
    EXPECT_THROW(registry.CreateNode(NodeType(10, 91, 0)), std::runtime_error);
    EXPECT_EQ(registry.GetEntries().size(), count);
    RefPtr<Node> node(registry.CreateNode(NodeType(10, 2, 0)));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetNodeType(), NodeType(10, 2, 0));
}

TEST(PluginLoader, FoldersWithoutPluginsAndMissingFolders) {
    PluginLoader& loader = PluginLoader::Get();
    const size_t plugin_count = loader.GetPlugins().size();

    // The folder above the test plug-ins holds only folders.
    const std::string plugins_root = FolderOf(FolderOf(QM_TEST_PLUGIN_GOOD));
    const PluginLoader::Report empty = loader.LoadDirectories({plugins_root});
    EXPECT_TRUE(empty.m_loaded.empty());
    EXPECT_TRUE(empty.m_errors.empty());

    const std::string missing = plugins_root + "/no_such_folder";
    const PluginLoader::Report report = loader.LoadDirectories({missing});
    ASSERT_EQ(report.m_errors.size(), 1u);
    EXPECT_TRUE(report.m_errors[0].starts_with(missing + ": ")) << report.m_errors[0];

    const PluginLoader::Report missing_file = loader.LoadFile(missing + "/x.so");
    ASSERT_EQ(missing_file.m_errors.size(), 1u);
    EXPECT_TRUE(Contains(missing_file.m_errors[0], "x.so")) << missing_file.m_errors[0];
    EXPECT_EQ(loader.GetPlugins().size(), plugin_count);
}

TEST(PluginLoader, DefaultFoldersComeFromTheEnvironmentOrTheProgram) {
    {
        ScopedEnvironment environment("QUILLMAR_PLUGIN_PATH", "/a::/b/c:");
        EXPECT_EQ(PluginLoader::GetDefaultDirectories(), (std::vector<std::string>{"/a", "/b/c"}));
    }
    {
        ScopedEnvironment environment("QUILLMAR_PLUGIN_PATH", "");
        EXPECT_TRUE(PluginLoader::GetDefaultDirectories().empty());
    }
    {
        ScopedEnvironment environment("QUILLMAR_PLUGIN_PATH", nullptr);
        std::string error;
        const std::vector<std::string> directories = PluginLoader::GetDefaultDirectories(&error);
        EXPECT_TRUE(error.empty()) << error;
        ASSERT_EQ(directories.size(), 1u);
        EXPECT_TRUE(std::filesystem::equivalent(directories[0], QM_TEST_PROGRAM_DIR));
    }
}

}  // namespace
