#pragma once

#include <string>

#include "host/HostExport.h"
#include "host/NodeGraph.h"
#include "host/Status.h"

// Project documents: a ZIP container holding "Project.xml" and the side files of its nodes.
class QM_HOST_API ProjectFile {
public:
    // Reads the document into `graph` (nodes are appended; the graph's file path becomes `path`)
    // and calls PostConnect on every node. Code 1: problems that were skipped, one per line;
    // code 2: the file is not a readable project, or it includes itself. The working directory is
    // unchanged afterwards and no temporary file is left behind.
    static Status Read(const std::string& path, NodeGraph& graph);
    // Writes the graph to `path`. An existing file there is replaced only when the whole document
    // was written (code 0 or 1).
    static Status Write(const NodeGraph& graph, const std::string& path);
};
