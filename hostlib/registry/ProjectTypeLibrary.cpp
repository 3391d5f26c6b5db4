#include "host/ProjectTypeLibrary.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/RefPtr.h"
#include "hostlib/registry/FolderListing.h"
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
        directories = FolderListing::SplitPathList(path);
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
    for (const std::string& path :
         FolderListing::ListFiles(directories, ".qmr", "project", errors)) {
        const std::string name = std::filesystem::path(path).stem().string();
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
    return errors;
}
