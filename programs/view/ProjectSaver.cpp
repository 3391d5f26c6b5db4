#include "programs/view/ProjectSaver.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "host/Container.h"
#include "host/ProjectFile.h"
#include "host/ScopedTemporaryDirectory.h"

namespace fs = std::filesystem;

namespace {

Status Failed(const std::string& path, const std::string& reason) {
    return Status(StatusCode::Error, "Cannot save " + path + ": " + reason);
}

}  // namespace

Status ProjectSaver::Save(const NodeGraph& graph, const std::string& given_path) {
    // The working directory changes below.
    const std::string path = fs::absolute(given_path).string();
    std::string error;
    ScopedTemporaryDirectory written;
    if (!written.Create(error)) {
        return Failed(path, error);
    }
    const std::string document = (fs::path(written.GetPath()) / "Project.qmr").string();
    Status status = ProjectFile::Write(graph, document);
    if (status.GetCode() == 2) {
        return status;
    }

    // Old files first, then the new document over them.
    ScopedTemporaryDirectory merged;
    if (!merged.Create(error) || !merged.MakeCurrent(error)) {
        return Failed(path, error);
    }
    if (fs::exists(path) && !DecompressFiles(path, error)) {
        return Failed(path, error);
    }
    if (!DecompressFiles(document, error)) {
        return Failed(path, error);
    }
    std::vector<std::string> files;
    std::error_code code;
    for (fs::recursive_directory_iterator it(merged.GetPath(), code), end; !code && it != end;
         it.increment(code)) {
        if (it->is_regular_file()) {
            files.push_back(fs::relative(it->path(), merged.GetPath()).generic_string());
        }
    }
    if (code) {
        return Failed(path, code.message());
    }
    if (!CompressFiles(merged.GetPath(), files, path, error)) {
        return Failed(path, error);
    }
    return status;
}
