#pragma once

#include <string>

#include "host/NodeGraph.h"
#include "host/Status.h"

class TiXmlElement;

// Builds a graph from the children of a "QuillmarProject" element: nodes, their names, active
// flags, definitions and values, then PreLoad/PostLoad on every node, then the connections.
// Refuses, with code 2, a project that is already being read further up (a project that includes
// itself).
class ProjectReader {
public:
    static Status Read(NodeGraph& graph, int minor, int major, TiXmlElement* root,
                       NodeGraph::ProjectReadCallback callback);
    // Adds a warning to the innermost read under way on this thread, if any.
    static void ReportProblem(const std::string& problem);
};
