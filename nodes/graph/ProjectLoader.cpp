#include "nodes/graph/ProjectLoader.h"

#include <tinyxml.h>

#include "host/Container.h"
#include "host/Node.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/XmlFile.h"

bool ProjectLoader::Load(const std::string& container, NodeGraph& graph, Status& status) {
    // Restores the working directory and removes the folder on every way out.
    ScopedTemporaryDirectory folder;
    std::string error;
    if (!folder.Create(error) || !folder.MakeCurrent(error)) {
        status = Status(StatusCode::Error, kLoadFailed, error);
        return false;
    }
    // A refused container leaves nothing behind, so it fails below as a missing Project.xml
    // would; its reason is the one to give.
    std::string unpack_error;
    DecompressFiles(container, unpack_error);

    TiXmlDocument document("Project.xml");
    if (!XmlFile::Load(document, "Project.xml", error)) {
        status = Status(StatusCode::Error, kLoadFailed,
                        unpack_error.empty() ? "Project.xml: " + error : unpack_error);
        return false;
    }
    TiXmlElement* root = document.FirstChildElement("QuillmarProject");
    if (!root) {
        status =
            Status(StatusCode::Error, kLoadFailed, "Project.xml has no QuillmarProject element");
        return false;
    }
    int major = 0;
    int minor = 0;
    if (root->QueryIntAttribute("major", &major) != TIXML_SUCCESS ||
        root->QueryIntAttribute("minor", &minor) != TIXML_SUCCESS) {
        status = Status(StatusCode::Error, kLoadFailed,
                        "Project.xml has no integer \"major\" and \"minor\" version");
        return false;
    }
    status = graph.ProjectRead(minor, major, root, nullptr);
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        graph.GetNode(index)->PostConnect({});
    }
    return true;
}
