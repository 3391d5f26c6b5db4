#pragma once

#include <string>

#include "host/NodeGraph.h"
#include "host/Status.h"

// Writes a document back into the project file it was read from without losing what the document
// itself does not hold: files packed beside "Project.xml" (images, nested projects) are carried
// over, and the document's own files replace their old versions. The file is replaced only when
// the whole new container was written; the working directory is restored.
class ProjectSaver {
public:
    static Status Save(const NodeGraph& graph, const std::string& path);
};
