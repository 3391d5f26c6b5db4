#include "programs/quillmar/PackCommand.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "host/Container.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "quillmar pack: ";

// The regular files under `folder` as sorted '/'-separated relative names. A symbolic link is
// refused: packing what it names could put any file the user can read into an archive meant for
// others. `skipped` (absolute, may be empty) is left out: the archive being written.
bool ListFiles(const fs::path& folder, const fs::path& skipped, std::vector<std::string>& files,
               std::string& error) {
    std::error_code code;
    fs::recursive_directory_iterator walk(folder, code);
    for (; !code && walk != fs::recursive_directory_iterator(); walk.increment(code)) {
        const fs::directory_entry& entry = *walk;
        std::error_code status_code;
        if (entry.is_symlink(status_code)) {
            error = entry.path().string() + " is a symbolic link: a project file holds no links";
            return false;
        }
        if (!entry.is_regular_file(status_code)) {
            continue;
        }
        if (!skipped.empty() && fs::equivalent(entry.path(), skipped, status_code)) {
            continue;
        }
        files.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    if (code) {
        error = "cannot list " + folder.string() + ": " + code.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    return true;
}

}  // namespace

PackCommand::PackCommand(CLI::App& program)
    : Command(program, "pack", "Pack a folder holding Project.xml into a project file") {
    m_app
        ->add_option("DIR", m_folder,
                     "Folder to pack: Project.xml at its top, side files anywhere below it; "
                     "every regular file in it is packed, and a symbolic link is refused")
        ->required();
    m_app
        ->add_option("-o,--output", m_output,
                     "Project file to write (.qmr), its folder created when missing; an existing "
                     "file is replaced once the new one is complete")
        ->required();
}

int PackCommand::Run() {
    if (m_folder.empty() || m_output.empty()) {
        std::cerr << kPrefix << "the folder and the project file need non-empty names\n";
        return kExitBadInput;
    }
    std::error_code code;
    const fs::path folder = fs::absolute(m_folder, code);
    if (code || !fs::is_directory(folder, code)) {
        std::cerr << kPrefix << m_folder << " is not a folder\n";
        return kExitBadInput;
    }
    if (!fs::is_regular_file(folder / "Project.xml", code)) {
        std::cerr << kPrefix << m_folder
                  << " holds no Project.xml at its top: a project file needs one\n";
        return kExitBadInput;
    }
    std::error_code output_code;
    const fs::path output = fs::weakly_canonical(fs::absolute(m_output), output_code);
    if (!output_code && output.has_parent_path()) {
        fs::create_directories(output.parent_path(), code);
    }
    std::vector<std::string> files;
    std::string error;
    if (!ListFiles(folder, output_code ? fs::path() : output, files, error) ||
        !CompressFiles(folder.string(), files, m_output, error)) {
        std::cerr << kPrefix << error << '\n';
        return kExitBadInput;
    }
    std::cout << "Packed " << files.size() << (files.size() == 1 ? " file" : " files") << " into "
              << m_output << '\n';
    return kExitSuccess;
}
