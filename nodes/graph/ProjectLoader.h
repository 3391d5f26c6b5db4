#pragma once

#include <string>

#include "host/NodeGraph.h"
#include "host/Status.h"

// The loading phase of a Node Graph node's read: unpacks a project file into a fresh temporary
// folder, reads its Project.xml into a graph and calls PostConnect on every node.
class ProjectLoader {
public:
    // The message of every failure here, whatever its reason.
    static constexpr const char* kLoadFailed = "Failed to load XML project.";

    // Reads the project file `container` (an absolute path) into `graph`; `status` becomes the
    // graph reader's status. False, with code 2, kLoadFailed and the reason (what was refused and
    // why) in `status`, when there was no Project.xml to read. The working directory is restored
    // and the temporary folder removed on every way out.
    static bool Load(const std::string& container, NodeGraph& graph, Status& status);
};
