#pragma once

#include <string>

#include "host/NodeGraph.h"
#include "host/Status.h"

// The loading phase of a Node Graph node's read: reads a project file's Project.xml into a graph,
// in a temporary folder holding the file's side files, and calls PostConnect on every node. Files
// are unpacked and parsed through ProjectCache, once per process or per outermost read.
class ProjectLoader {
public:
    // The message of every failure here, whatever its reason.
    static constexpr const char* kLoadFailed = "Failed to load XML project.";

    // Reads the project file `container` (an absolute path) into `graph`; `status` becomes the
    // graph reader's status. False, with code 2, kLoadFailed and the reason (what was refused and
    // why) in `status`, when there was no Project.xml to read. The working directory is restored
    // on every way out, and the temporary folders are removed when the outermost read ends.
    static bool Load(const std::string& container, NodeGraph& graph, Status& status);
};
