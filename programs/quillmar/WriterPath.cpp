#include "programs/quillmar/WriterPath.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

// Whether `path` is `folder` or lies below it; both canonical.
bool IsWithin(const fs::path& path, const fs::path& folder) {
    auto inner = path.begin();
    for (auto outer = folder.begin(); outer != folder.end(); ++outer, ++inner) {
        if (inner == path.end() || *inner != *outer) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WriterPath::Resolve(const fs::path& folder, const std::string& path, bool allow_outside,
                         fs::path& file, std::string& error) {
    if (path.empty()) {
        error = "no path to write to";
        return false;
    }
    const fs::path relative(path);
    if (allow_outside) {
        file = folder / relative;
        return true;
    }
    if (relative.has_root_path()) {
        error = "path " + path + " is absolute";
        return false;
    }
    std::error_code code;
    const fs::path root = fs::weakly_canonical(fs::absolute(folder, code), code);
    if (code) {
        error = "cannot resolve the output folder " + folder.string() + ": " + code.message();
        return false;
    }
    // Step by step, so that every link on the way is judged where it stands, dangling ones too.
    fs::path current = root;
    for (const fs::path& component : relative) {
        if (component.empty() || component == ".") {
            continue;
        }
        current = component == ".." ? current.parent_path() : current / component;
        const fs::file_status status = fs::symlink_status(current, code);
        if (fs::is_symlink(status)) {
            current = fs::canonical(current, code);
            if (code) {
                error = "path " + path + " passes through a link that leads nowhere";
                return false;
            }
        }
        if (!IsWithin(current, root)) {
            error = "path " + path + " leads outside the output folder";
            return false;
        }
    }
    if (current == root) {
        error = "path " + path + " names the output folder itself";
        return false;
    }
    file = current;
    return true;
}
