// Takes arbitrary bytes as a Writer's path and writes a file wherever `render` would: into an
// output folder that holds links leading inside it, outside it and nowhere. Nothing may change
// outside the output folder, and an accepted path must land inside it.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSandbox.h"
#include "programs/quillmar/WriterPath.h"

namespace {

namespace fs = std::filesystem;

// Everything below `folder`, links not followed, as relative names.
std::vector<std::string> ListTree(const fs::path& folder) {
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        names.push_back(it->path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MakeOutputFolder(const fs::path& out, const fs::path& outside) {
    fs::remove_all(out);
    fs::create_directories(out / "sub" / "deeper");
    fs::create_directory_symlink("sub", out / "inside");
    fs::create_directory_symlink("../outside", out / "escape");
    fs::create_directory_symlink(fs::absolute(outside), out / "absolute");
    fs::create_symlink("../outside/victim.png", out / "victim.png");
    fs::create_symlink("missing/nowhere", out / "dangling");
}

// Whether the file at `file` is a regular file reached inside `out` without leaving it.
bool LandedInside(const fs::path& out, const fs::path& file) {
    struct stat target;
    if (::stat(file.c_str(), &target) != 0) {
        return false;
    }
    for (auto it = fs::recursive_directory_iterator(out); it != fs::recursive_directory_iterator();
         ++it) {
        struct stat entry;
        if (::lstat(it->path().c_str(), &entry) == 0 && S_ISREG(entry.st_mode) &&
            entry.st_ino == target.st_ino && entry.st_dev == target.st_dev) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    static const fs::path out = sandbox.GetFolder() / "out";
    static const fs::path outside = sandbox.GetFolder() / "outside";
    static const std::vector<std::string> expected_outside = [] {
        fs::create_directory(outside);
        std::ofstream(outside / "victim.png") << "keep";
        return ListTree(outside);
    }();
    sandbox.Enter();
    MakeOutputFolder(out, outside);
    // A path is text without NUL bytes.
    std::string path(reinterpret_cast<const char*>(data), size);
    path.erase(std::remove(path.begin(), path.end(), '\0'), path.end());

    fs::path file;
    std::string error;
    if (WriterPath::Resolve("out", path, false, file, error)) {
        std::error_code code;
        fs::create_directories(file.parent_path(), code);
        std::ofstream stream(file, std::ios::binary | std::ios::trunc);
        const bool written = static_cast<bool>(stream << "image");
        stream.close();
        FuzzSandbox::Check(!written || LandedInside(out, file),
                           "an accepted path was written outside: " + path);
    } else {
        FuzzSandbox::Check(!error.empty(), "a refusal without a reason");
    }
    FuzzSandbox::Check(ListTree(outside) == expected_outside, "a file appeared outside: " + path);
    std::ifstream victim(outside / "victim.png");
    std::string content;
    victim >> content;
    FuzzSandbox::Check(content == "keep", "a file outside was overwritten through " + path);
    sandbox.CheckClean();
    sandbox.Leave();
    return 0;
}
