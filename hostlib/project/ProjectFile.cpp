#include "host/ProjectFile.h"

#include <tinyxml.h>

#include <algorithm>

#include "host/Container.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/XmlFile.h"

Status ProjectFile::Read(const std::string& path, NodeGraph& graph) {
    graph.SetFilePath(path);
    // Absolute, so that it still names the file once the temporary folder is current.
    const std::string container = graph.GetFilePath();
    const std::string failed = "Cannot read the project " + path + ": ";
    if (container.empty()) {
        return Status(StatusCode::Error, failed + "no file name.");
    }
    ScopedTemporaryDirectory folder;
    std::string error;
    if (!folder.Create(error) || !folder.MakeCurrent(error)) {
        return Status(StatusCode::Error, failed + error + ".");
    }
    if (!DecompressFiles(container, error)) {
        return Status(StatusCode::Error, failed + error + ".");
    }
    TiXmlDocument document("Project.xml");
    if (!XmlFile::Load(document, "Project.xml", error)) {
        return Status(StatusCode::Error, failed + "Project.xml: " + error + ".");
    }
    TiXmlElement* root = document.FirstChildElement("QuillmarProject");
    if (!root) {
        return Status(StatusCode::Error, failed + "Project.xml has no QuillmarProject element.");
    }
    int major = 0;
    int minor = 0;
    if (root->QueryIntAttribute("major", &major) != TIXML_SUCCESS) {
        return Status(StatusCode::Error, failed + "no integer \"major\" version.");
    }
    if (root->QueryIntAttribute("minor", &minor) != TIXML_SUCCESS) {
        return Status(StatusCode::Error, failed + "no integer \"minor\" version.");
    }
    const size_t first_read = graph.GetNumNodes();
    Status status = graph.ProjectRead(minor, major, root, nullptr);
    for (size_t index = first_read; index < graph.GetNumNodes(); ++index) {
        Node* node = graph.GetNode(index);
        const Status connected = node->PostConnect({});
        if (!connected.IsOk()) {
            status.Merge(Status(std::min(connected.GetCode(), int(StatusCode::Warning)),
                                "node \"" + node->GetName() + "\": " + connected.GetMessage()));
        }
    }
    return status;
}

Status ProjectFile::Write(const NodeGraph& graph, const std::string& path) {
    const std::string failed = "Cannot write the project " + path + ": ";
    ScopedTemporaryDirectory folder;
    std::string error;
    if (!folder.Create(error)) {
        return Status(StatusCode::Error, failed + error + ".");
    }
    std::vector<std::string> files;
    Status status = graph.ProjectWrite(folder.GetPath(), files);
    if (status.GetCode() >= int(StatusCode::Error)) {
        return status;
    }
    if (!CompressFiles(folder.GetPath(), files, path, error)) {
        status.Merge(Status(StatusCode::Error, failed + error + "."));
    }
    return status;
}
