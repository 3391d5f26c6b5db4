#include "hostlib/registry/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host/StringJoin.h"

std::vector<std::string> FolderListing::SplitPathList(const std::string& list) {
    std::vector<std::string> folders;
    for (std::string& folder : StringSplit(list, ':')) {
        if (!folder.empty()) {
            folders.push_back(std::move(folder));
        }
    }
    return folders;
}

std::vector<std::string> FolderListing::ListFiles(const std::vector<std::string>& folders,
                                                  const std::string& extension,
                                                  const std::string& kind,
                                                  std::vector<std::string>& errors) {
    std::vector<std::string> files;
    for (const std::string& directory : folders) {
        const std::filesystem::path folder =
            std::filesystem::absolute(directory).lexically_normal();
        std::error_code code;
        std::filesystem::directory_iterator entries(folder, code);
        if (code) {
            errors.push_back(folder.string() + ": cannot read the " + kind +
                             " folder: " + code.message());
            continue;
        }
        std::vector<std::string> names;
        for (const std::filesystem::directory_entry& entry : entries) {
            std::error_code entry_code;
            if (entry.path().extension() == extension && entry.is_regular_file(entry_code)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            files.push_back((folder / name).string());
        }
    }
    return files;
}
