#include "programs/quillmar/UnpackCommand.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "host/Container.h"
#include "host/ScopedTemporaryDirectory.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "quillmar unpack: ";

struct Entry {
    fs::path m_relative;
    bool m_is_folder = false;
};

bool ListUnpacked(const fs::path& folder, std::vector<Entry>& entries, std::string& error) {
    std::error_code code;
    fs::recursive_directory_iterator walk(folder, code);
    for (; !code && walk != fs::recursive_directory_iterator(); walk.increment(code)) {
        entries.push_back({walk->path().lexically_relative(folder), walk->is_directory()});
    }
    if (code) {
        error = "cannot list the unpacked files: " + code.message();
        return false;
    }
    return true;
}

// Checks that every entry can go into `target` without following a symbolic link out of it and,
// unless `force`, without replacing a file. Run over all entries before anything is copied.
bool CheckTarget(const fs::path& target, const std::vector<Entry>& entries, bool force,
                 std::string& error) {
    for (const Entry& entry : entries) {
        const fs::path path = target / entry.m_relative;
        std::error_code code;
        const fs::file_status status = fs::symlink_status(path, code);
        if (!fs::exists(status)) {
            continue;
        }
        if (fs::is_symlink(status)) {
            error = path.string() + " is a symbolic link; refusing to write through it";
            return false;
        }
        if (entry.m_is_folder != fs::is_directory(status)) {
            error = path.string() + (entry.m_is_folder ? " exists and is not a folder"
                                                       : " exists and is not a regular file");
            return false;
        }
        if (!entry.m_is_folder && !force) {
            error = path.string() + " exists already (use --force to overwrite)";
            return false;
        }
    }
    return true;
}

bool CopyEntries(const fs::path& source, const fs::path& target, const std::vector<Entry>& entries,
                 std::string& error) {
    for (const Entry& entry : entries) {
        const fs::path path = target / entry.m_relative;
        std::error_code code;
        if (entry.m_is_folder) {
            fs::create_directories(path, code);
        } else {
            fs::copy_file(source / entry.m_relative, path, fs::copy_options::overwrite_existing,
                          code);
        }
        if (code) {
            error = "cannot write " + path.string() + ": " + code.message();
            return false;
        }
    }
    return true;
}

}  // namespace

UnpackCommand::UnpackCommand(CLI::App& program)
    : Command(program, "unpack", "Unpack a project file into a folder") {
    m_app->add_option("FILE", m_container, "Project file to unpack (.qmr)")->required();
    m_app
        ->add_option("-o,--output", m_output,
                     "Folder to unpack into; created when missing. Files already there are "
                     "kept, and the command fails, unless --force is given")
        ->required();
    m_app->add_flag("--force", m_force, "Overwrite files that exist in the folder already");
}

int UnpackCommand::Run() {
    if (m_container.empty() || m_output.empty()) {
        std::cerr << kPrefix << "the project file and the folder need non-empty names\n";
        return kExitBadInput;
    }
    // Absolute paths first: the temporary folder becomes the working directory.
    std::error_code code;
    const fs::path container = fs::absolute(m_container, code);
    const fs::path target = fs::absolute(m_output, code);
    if (code) {
        std::cerr << kPrefix << "cannot read the working directory: " << code.message() << '\n';
        return kExitBadInput;
    }
    if (!fs::is_regular_file(container, code)) {
        std::cerr << kPrefix << m_container << " is not a file\n";
        return kExitBadInput;
    }
    ScopedTemporaryDirectory folder;
    std::string error;
    std::vector<Entry> entries;
    if (!folder.Create(error) || !folder.MakeCurrent(error)) {
        std::cerr << kPrefix << error << '\n';
        return kExitBadInput;
    }
    if (!DecompressFiles(container.string(), error)) {
        std::cerr << kPrefix << "cannot unpack " << m_container << ": " << error << '\n';
        return kExitBadInput;
    }
    if (!ListUnpacked(folder.GetPath(), entries, error) ||
        !CheckTarget(target, entries, m_force, error)) {
        std::cerr << kPrefix << error << '\n';
        return kExitBadInput;
    }
    fs::create_directories(target, code);
    if (code) {
        std::cerr << kPrefix << "cannot create " << m_output << ": " << code.message() << '\n';
        return kExitBadInput;
    }
    if (!CopyEntries(folder.GetPath(), target, entries, error)) {
        std::cerr << kPrefix << error << '\n';
        return kExitBadInput;
    }
    size_t num_files = 0;
    for (const Entry& entry : entries) {
        num_files += entry.m_is_folder ? 0 : 1;
    }
    std::cout << "Unpacked " << num_files << (num_files == 1 ? " file" : " files") << " into "
              << m_output << '\n';
    return kExitSuccess;
}
