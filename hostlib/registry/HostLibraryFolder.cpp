#include "hostlib/registry/HostLibraryFolder.h"

#include <dlfcn.h>

#include <system_error>

std::filesystem::path HostLibraryFolder() {
    static const std::filesystem::path folder = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&HostLibraryFolder), &info) == 0 ||
            info.dli_fname == nullptr) {
            return std::filesystem::path();
        }
        std::error_code code;
        const std::filesystem::path library = std::filesystem::canonical(info.dli_fname, code);
        return code ? std::filesystem::path() : library.parent_path();
    }();
    return folder;
}
