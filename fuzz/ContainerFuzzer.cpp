// Unpacks arbitrary bytes as a project container and checks that nothing lands outside the
// extraction folder, that only plain files and folders are made, that the limits hold, and that a
// refused archive leaves nothing behind.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSandbox.h"
#include "host/Container.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxEntries = 16;
constexpr uint64_t kMaxBytes = 64 * 1024;

std::vector<std::string> List(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    static const fs::path work = sandbox.GetFolder() / "work";
    static const fs::path sentinel = sandbox.GetFolder() / "outside.txt";
    static const std::vector<std::string> expected = [] {
        std::ofstream(sentinel) << "outside";
        return std::vector<std::string>{"input.zip", "outside.txt", "tmp", "work"};
    }();
    sandbox.Enter();
    SetContainerLimits({kMaxEntries, kMaxBytes});
    const std::string archive = sandbox.WriteInput("input.zip", data, size);
    fs::remove_all(work);
    fs::create_directory(work);
    fs::current_path(work);
    std::string error;
    const bool unpacked = DecompressFiles(archive, error);
    fs::current_path(sandbox.GetFolder());
    FuzzSandbox::Check(unpacked || !error.empty(), "a refusal without a reason");
    FuzzSandbox::Check(unpacked || fs::is_empty(work), "a refused archive left files behind");

    uint64_t bytes = 0;
    uint64_t entries = 0;
    for (auto it = fs::recursive_directory_iterator(work); it != fs::recursive_directory_iterator();
         ++it) {
        struct stat status;
        FuzzSandbox::Check(::lstat(it->path().c_str(), &status) == 0, "an unreadable entry");
        FuzzSandbox::Check(
            S_ISREG(status.st_mode) || S_ISDIR(status.st_mode),
            "unpacked something other than a file or a folder: " + it->path().string());
        if (S_ISREG(status.st_mode)) {
            bytes += uint64_t(status.st_size);
            ++entries;
        }
    }
    FuzzSandbox::Check(entries <= kMaxEntries, "more files than the entry limit");
    FuzzSandbox::Check(bytes <= kMaxBytes, "more bytes than the size limit");
    FuzzSandbox::Check(List(sandbox.GetFolder()) == expected, "something was written outside");
    FuzzSandbox::Check(List(sandbox.GetTemporaryFolder()).empty(), "something was written outside");
    sandbox.CheckClean();
    fs::remove_all(work);
    sandbox.Leave();
    return 0;
}
