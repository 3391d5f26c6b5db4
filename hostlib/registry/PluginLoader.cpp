#include "host/PluginLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>

#include "host/LibraryInterface.h"
#include "host/NodeInterface.h"
#include "host/NodeTypeRegistry.h"
#include "host/ProjectTypeLibrary.h"
#include "host/RefPtr.h"
#include "host/StringJoin.h"
#include "hostlib/registry/FolderListing.h"
#include "hostlib/registry/FunctionNodeFactory.h"
#include "hostlib/registry/HostLibraryFolder.h"

PluginLoader& PluginLoader::Get() {
    // Never destroyed: the loaded plug-ins and their library interfaces stay alive while static
    // destructors run, and stay reachable for leak checkers.
    static PluginLoader* const loader = new PluginLoader();
    return *loader;
}

std::vector<std::string> PluginLoader::GetDefaultDirectories(std::string* error) {
    if (const char* path = std::getenv("QUILLMAR_PLUGIN_PATH")) {
        return FolderListing::SplitPathList(path);
    }
    // The host's own plug-in folder, where the build and the installation put the plug-ins; it
    // also serves programs that live elsewhere, such as Python with the module loaded. An
    // installed program's folder (/usr/bin) holds other shared objects, so it is searched only
    // when there is no plug-in folder.
    std::error_code code;
    const std::filesystem::path folder = HostLibraryFolder() / kPluginFolder;
    if (std::filesystem::is_directory(folder, code)) {
        return {folder.string()};
    }
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", code);
    if (code) {
        if (error) {
            *error = "cannot find the folder of the running program: " + code.message();
        }
        return {};
    }
    return {program.parent_path().string()};
}

void PluginLoader::LoadDefault() {
    if (m_default_loaded) {
        return;
    }
    m_default_loaded = true;
    std::string error;
    const std::vector<std::string> directories = GetDefaultDirectories(&error);
    if (!error.empty()) {
        m_errors.push_back(error);
    }
    LoadDirectories(directories);
    const std::vector<std::string> project_errors =
        ProjectTypeLibrary::LoadDirectories(ProjectTypeLibrary::GetDefaultDirectories());
    m_errors.insert(m_errors.end(), project_errors.begin(), project_errors.end());
}

PluginLoader::Report PluginLoader::LoadDirectories(const std::vector<std::string>& directories) {
    Report report;
    for (const std::string& file :
         FolderListing::ListFiles(directories, ".so", "plug-in", report.m_errors)) {
        Load(file, report);
    }
    m_errors.insert(m_errors.end(), report.m_errors.begin(), report.m_errors.end());
    return report;
}

PluginLoader::Report PluginLoader::LoadFile(const std::string& path) {
    Report report;
    Load(path, report);
    m_errors.insert(m_errors.end(), report.m_errors.begin(), report.m_errors.end());
    return report;
}

std::vector<std::string> PluginLoader::GetLoadedPaths() const {
    std::vector<std::string> paths;
    paths.reserve(m_plugins.size());
    for (const Plugin& plugin : m_plugins) {
        paths.push_back(plugin.m_path);
    }
    return paths;
}

void PluginLoader::Load(const std::string& path, Report& report) {
    const auto fail = [&](const std::string& reason) {
        report.m_errors.push_back(path + ": " + reason);
    };
    std::error_code code;
    const std::string canonical = std::filesystem::canonical(path, code).string();
    if (code) {
        fail("cannot be found: " + code.message());
        return;
    }
    if (m_loaded_files.contains(canonical)) {
        return;
    }

    // Declared before the interfaces, so that a failed plug-in's interfaces are destroyed while
    // their code is still loaded.
    std::unique_ptr<void, int (*)(void*)> handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL),
                                                 &dlclose);
    if (!handle) {
        fail(std::string("cannot be loaded: ") + dlerror());
        return;
    }
    const auto get_library =
        reinterpret_cast<GetLibraryInterfaceFunction>(dlsym(handle.get(), "GetLibraryInterface"));
    const auto get_count =
        reinterpret_cast<GetNumNodeInterfacesFunction>(dlsym(handle.get(), "GetNumNodeInterfaces"));
    const auto get_interface =
        reinterpret_cast<GetNodeInterfaceFunction>(dlsym(handle.get(), "GetNodeInterface"));
    std::vector<std::string> missing;
    if (!get_library) {
        missing.push_back("GetLibraryInterface");
    }
    if (!get_count) {
        missing.push_back("GetNumNodeInterfaces");
    }
    if (!get_interface) {
        missing.push_back("GetNodeInterface");
    }
    if (!missing.empty()) {
        fail("is not a plug-in: it does not export " + StringJoin(missing, ", "));
        return;
    }

    // A library interface cannot be deleted (no virtual destructor); one from a plug-in that fails
    // is kept in m_abandoned_libraries rather than lost.
    LibraryInterface* library = nullptr;
    std::vector<RefPtr<NodeInterface>> interfaces;
    std::vector<std::string> skipped;
    std::string step = "GetLibraryInterface";
    try {
        library = get_library();
        if (!library) {
            fail("GetLibraryInterface returned no library interface");
            return;
        }
        m_abandoned_libraries.push_back(library);
        step = "GetNumNodeInterfaces";
        const uint64_t count = get_count();
        if (count > kMaxNodeInterfaces) {
            fail("claims " + std::to_string(count) + " node interfaces, more than the " +
                 std::to_string(kMaxNodeInterfaces) + " a plug-in may offer");
            return;
        }
        for (uint64_t index = 0; index < count; ++index) {
            step = "GetNodeInterface(" + std::to_string(index) + ")";
            if (NodeInterface* node_interface = get_interface(index)) {
                interfaces.emplace_back(node_interface);
            } else {
                skipped.push_back(step + " returned no node interface");
            }
        }
        if (count == 0) {
            fail("offers no node interface (GetNumNodeInterfaces returned 0)");
            return;
        }
        if (interfaces.empty()) {
            fail("offers no node interface (GetNodeInterface returned none for any of its " +
                 std::to_string(count) + " indices)");
            return;
        }
        step = "GetUnpublishedNodeTypes";
        const std::vector<LibraryInterface::UnpublishedNodeType> unpublished =
            library->GetUnpublishedNodeTypes();
        if (unpublished.size() > kMaxNodeInterfaces) {
            fail("claims " + std::to_string(unpublished.size()) +
                 " unpublished node types, more than the " + std::to_string(kMaxNodeInterfaces) +
                 " a plug-in may offer");
            return;
        }
        step = "describing its node types";
        std::vector<NodeInterface*> offered;
        offered.reserve(interfaces.size());
        for (const RefPtr<NodeInterface>& node_interface : interfaces) {
            offered.push_back(node_interface.Get());
        }
        NodeTypeRegistry& registry = NodeTypeRegistry::Get();
        for (std::string& refusal : registry.RegisterAll(offered, path)) {
            skipped.push_back(std::move(refusal));
        }
        // Nothing below calls into the plug-in, so nothing can throw after types are registered.
        for (const LibraryInterface::UnpublishedNodeType& type : unpublished) {
            std::string reason = "it has no creation function";
            if (!type.m_create ||
                !registry.RegisterUnpublished(
                    new FunctionNodeFactory(type.m_type, type.m_name, type.m_create), path,
                    &reason)) {
                skipped.push_back("unpublished node type " + type.m_type.ToString() + " (\"" +
                                  type.m_name + "\"): " + reason);
            }
        }
    } catch (const std::exception& exception) {
        fail(step + " failed: " + exception.what());
        return;
    }

    for (const std::string& reason : skipped) {
        fail(reason + "; skipped");
    }
    m_abandoned_libraries.pop_back();
    m_plugins.push_back(Plugin{handle.release(), path, library});
    m_loaded_files.insert(canonical);
    report.m_loaded.push_back(path);
    try {
        library->OnLoaded();
    } catch (const std::exception& exception) {
        fail(std::string("OnLoaded failed: ") + exception.what());
    }
}
