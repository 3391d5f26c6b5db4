#pragma once

#include <string>
#include <vector>

#include "host/NodeGraph.h"
#include "host/Status.h"

// Writes a graph as "Project.xml" plus the side files its nodes save (SaveDefinitions) into a
// folder, in the form ProjectReader reads back.
class ProjectWriter {
public:
    static Status Write(const NodeGraph& graph, const std::string& folder,
                        std::vector<std::string>& files);
};
