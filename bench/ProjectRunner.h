#pragma once

#include <string>

#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

// A Node Graph node made through the node-type registry, as the host makes one, in a document of
// its own; it reads a project file and answers requests for its outplugs. For the benchmarks,
// which must time exactly what a host request costs.
class ProjectRunner {
public:
    // Loads the plug-ins next to the program once.
    ProjectRunner();

    // Reads the project; false, with the message in `error`, when the read fails.
    bool Read(const std::string& path, std::string& error);
    void SetIterations(double iterations);
    // Requests outplug 0 afresh: the node recomputes every output.
    void Request();
    Node& GetNode() { return *m_node; }

    // A folder for the files of one benchmark program, removed when the program ends.
    static const std::string& Folder();
    // Writes the graph as a project file in Folder() and returns its path; exits the program
    // with a message when that fails, since no benchmark can run without it.
    static std::string WriteProject(const NodeGraph& graph, const std::string& name);

private:
    RefPtr<NodeGraph> m_document;
    Node* m_node = nullptr;
};
