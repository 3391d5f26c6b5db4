#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/HostExport.h"

class LibraryInterface;
class NodeInterface;

// Finds plug-in modules, loads them and registers their node types with NodeTypeRegistry.
//
// A plug-in is a shared object that exports, with C linkage:
//   LibraryInterface* GetLibraryInterface();
//   uint64_t GetNumNodeInterfaces();
//   NodeInterface* GetNodeInterface(uint64_t index);
// The host owns what they return. A plug-in is all or nothing: one that cannot be loaded, misses a
// function, offers no node interface or throws a std::exception from one of them registers
// nothing and is closed again. So does one that claims more than kMaxNodeInterfaces interfaces,
// which is taken for a broken count. Within a plug-in that loads, an index without an interface and
// an interface the registry refuses (a type already taken, for one) are reported and skipped.
//
// Loaded plug-ins stay loaded for the life of the process; their library interfaces are never
// deleted (LibraryInterface has no virtual destructor). GUI thread only.
class QM_HOST_API PluginLoader {
public:
    using GetLibraryInterfaceFunction = LibraryInterface* (*)();
    using GetNumNodeInterfacesFunction = uint64_t (*)();
    using GetNodeInterfaceFunction = NodeInterface* (*)(uint64_t);

    static constexpr uint64_t kMaxNodeInterfaces = 65536;

    struct Plugin {
        void* m_handle = nullptr;
        std::string m_path;
        LibraryInterface* m_library = nullptr;
    };

    // What one load call did. Error texts name the file (or folder) and the reason.
    struct Report {
        std::vector<std::string> m_loaded;
        std::vector<std::string> m_errors;
    };

    static PluginLoader& Get();

    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // Relative to the folder of the host library.
    static constexpr const char* kPluginFolder = "quillmar/plugins";

    // The folders of QUILLMAR_PLUGIN_PATH (colon-separated, empty entries ignored) when it is set,
    // even to nothing; otherwise kPluginFolder when it exists, else the folder of the running
    // program (empty, with the reason in `error` when given, if that cannot be found).
    static std::vector<std::string> GetDefaultDirectories(std::string* error = nullptr);

    // Loads the default folders the first time it is called, then registers the project files of
    // QUILLMAR_PROJECT_PATH as node types (ProjectTypeLibrary); later calls do nothing.
    void LoadDefault();
    // Loads every regular file ending in ".so" of each folder, folders in the given order, files
    // in name order. A file loaded before (by any path) is skipped silently.
    Report LoadDirectories(const std::vector<std::string>& directories);
    Report LoadFile(const std::string& path);

    // Everything loaded and every error so far, in order.
    const std::vector<Plugin>& GetPlugins() const { return m_plugins; }
    std::vector<std::string> GetLoadedPaths() const;
    const std::vector<std::string>& GetErrors() const { return m_errors; }

private:
    PluginLoader() = default;
    // Loads one file into `report`.
    void Load(const std::string& path, Report& report);

    std::vector<Plugin> m_plugins;
    std::vector<std::string> m_errors;
    // Library interfaces of plug-ins that failed after handing one out.
    std::vector<LibraryInterface*> m_abandoned_libraries;
    // Canonical paths of the loaded files.
    std::unordered_set<std::string> m_loaded_files;
    bool m_default_loaded = false;
};
