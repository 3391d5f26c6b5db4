#include "nodes/graph/ProjectLoader.h"

#include <tinyxml.h>

#include "host/Node.h"
#include "nodes/graph/ProjectCache.h"

bool ProjectLoader::Load(const std::string& container, NodeGraph& graph, Status& status) {
    // Nested reads join this session, so each file is unpacked at most once in it; its folders
    // are removed when the outermost read ends.
    ProjectCache::Session session;
    std::string error;
    const std::unique_ptr<ProjectCache::Opened> opened = ProjectCache::Open(container, error);
    if (!opened) {
        status = Status(StatusCode::Error, kLoadFailed, error);
        return false;
    }
    const ProjectCache::Project& project = opened->GetProject();
    // The document is shared with every other read of the file; reading leaves it unchanged.
    auto* root = const_cast<TiXmlElement*>(project.m_document.FirstChildElement("QuillmarProject"));
    status = graph.ProjectRead(project.m_minor, project.m_major, root, nullptr);
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        graph.GetNode(index)->PostConnect({});
    }
    return true;
}
