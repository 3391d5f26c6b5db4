#include "host/ProjectTypeLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"
#include "host/StringJoin.h"
#include "hostlib/registry/ProjectFileNodeFactory.h"
#include "hostlib/registry/ProjectFileNodeInterface.h"

namespace {

const NodeType kNodeGraphType(10, 1, 5);

// Refuses a file that would only make nodes without plugs, so that the mistake shows when the
// library is loaded rather than in every document that uses the type.
bool CheckProject(const std::string& path, std::string& error) {
    try {
        const RefPtr<Node> probe(NodeTypeRegistry::Get().CreateNode(kNodeGraphType));
        if (!probe) {
            error = path + ": the Node Graph node type makes no nodes";
            return false;
        }
        const Status status = probe->ReadFileReference(0, path);
        if (status.GetCode() == 2) {
            error = path + ": not a usable project: " + status.GetMessage();
            return false;
        }
        return true;
    } catch (const std::exception& exception) {
        error = path + ": reading the project failed: " + exception.what();
        return false;
    }
}

}  // namespace

NodeType ProjectTypeLibrary::TypeForName(const std::string& name) {
    // FNV-1a: fixed, so types agree between machines and runs.
    uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return NodeType(10, kGroup, hash);
}

std::vector<std::string> ProjectTypeLibrary::GetDefaultDirectories() {
    std::vector<std::string> directories;
    if (const char* path = std::getenv("QUILLMAR_PROJECT_PATH")) {
        for (const std::string& directory : StringSplit(path, ':')) {
            if (!directory.empty()) {
                directories.push_back(directory);
            }
        }
    }
    return directories;
}

std::vector<std::string> ProjectTypeLibrary::LoadDirectories(
    const std::vector<std::string>& directories) {
    std::vector<std::string> errors;
    NodeTypeRegistry& registry = NodeTypeRegistry::Get();
    const NodeTypeRegistry::Entry* node_graph = registry.Find(kNodeGraphType);
    if (!node_graph) {
        if (!directories.empty()) {
            errors.push_back(
                "project types: no Node Graph node type is registered, so the project "
                "files of QUILLMAR_PROJECT_PATH cannot become node types");
        }
        return errors;
    }
    for (const std::string& directory : directories) {
        const std::filesystem::path folder =
            std::filesystem::absolute(directory).lexically_normal();
        std::error_code code;
        std::filesystem::directory_iterator entries(folder, code);
        if (code) {
            errors.push_back(folder.string() +
                             ": cannot read the project folder: " + code.message());
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const std::filesystem::directory_entry& entry : entries) {
            std::error_code entry_code;
            if (entry.path().extension() == ".qmr" && entry.is_regular_file(entry_code)) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path& file : files) {
            const std::string name = file.stem().string();
            const std::string path = file.string();
            std::string error;
            if (!CheckProject(path, error)) {
                errors.push_back(error);
                continue;
            }
            const RefPtr<NodeFactory> factory(
                new ProjectFileNodeFactory(TypeForName(name), name, path));
            const RefPtr<NodeInterface> node_interface(
                new ProjectFileNodeInterface(factory.Get(), node_graph->m_interface.Get()));
            if (!registry.Register(node_interface.Get(), path, &error)) {
                errors.push_back(path + ": " + error);
            }
        }
    }
    return errors;
}
