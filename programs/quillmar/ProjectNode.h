#pragma once

#include <cstdint>
#include <string>

#include "host/NodeType.h"
#include "host/Status.h"

class Node;

// The Node Graph node through which `run` and `info` see a project: made in the open document, with
// the plug-ins loaded as the host loads them, and given the project file as its file reference 0.
class ProjectNode {
public:
    static inline const NodeType kNodeGraphType{10, 1, 5};
    // The node's own attributes, path and iterations, come before the project's.
    static constexpr size_t kFirstProjectAttribute = 2;

    // Prints plug-in load errors to standard error after `prefix`, then reads the project. Returns
    // the read's status (code 1: read with warnings); code 2 when it failed or when no Node Graph
    // node could be made, with the message for the user.
    Status Load(const std::string& path, const std::string& prefix);

    // Null until Load made the node.
    Node* Get() const { return m_node; }
    // The inplug of regular input 0; inputs run from there to the last inplug.
    uint32_t GetFirstInput() const;
    // The regular inplug of that name, or kNone.
    uint32_t FindInput(const std::string& name) const;

private:
    Node* m_node = nullptr;
};
