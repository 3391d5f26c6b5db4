#include "bench/ProjectRunner.h"

#include <cstdio>
#include <cstdlib>

#include "host/EvaluateNodeOutplugs.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/ScopedTemporaryDirectory.h"

namespace {

const NodeType kNodeGraphType{10, 1, 5};

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "benchmark setup: %s\n", message.c_str());
    std::exit(2);
}

}  // namespace

ProjectRunner::ProjectRunner() : m_document(new NodeGraph) {
    PluginLoader::Get().LoadDefault();
    if (!PluginLoader::Get().GetErrors().empty()) {
        Fail(PluginLoader::Get().GetErrors().front());
    }
    m_node = m_document->CreateNode(kNodeGraphType);
    if (!m_node) {
        Fail("no Node Graph node type; is the plug-in next to the program?");
    }
}

bool ProjectRunner::Read(const std::string& path, std::string& error) {
    const Status status = m_node->ReadFileReference(0, path);
    error = status.GetMessage();
    return status.GetCode() == 0;
}

void ProjectRunner::SetIterations(double iterations) {
    m_node->GetAttribute("iterations")->SetNumber(iterations, false);
}

void ProjectRunner::Request() {
    m_node->SetDirtyAllOutplugs();
    EvaluateNodeOutplugs evaluation({{m_node, 0, false}});
    evaluation.EvaluateAll();
}

const std::string& ProjectRunner::Folder() {
    // Removed with its contents when the program ends.
    static ScopedTemporaryDirectory folder;
    if (folder.GetPath().empty()) {
        std::string error;
        if (!folder.Create(error)) {
            Fail("cannot create a temporary folder: " + error);
        }
    }
    return folder.GetPath();
}

std::string ProjectRunner::WriteProject(const NodeGraph& graph, const std::string& name) {
    const std::string path = Folder() + "/" + name + ".qmr";
    const Status status = ProjectFile::Write(graph, path);
    if (status.GetCode() > 1) {
        Fail("cannot write " + path + ": " + status.GetMessage());
    }
    return path;
}
