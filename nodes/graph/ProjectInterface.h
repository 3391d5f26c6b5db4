#pragma once

#include <vector>

#include "host/Status.h"
#include "nodes/graph/AttributeInfo.h"

class IoNode;
class LoopIterationsNode;
class NodeGraph;

// The interface a freshly read project offers a Node Graph node: its input and output IO nodes,
// its exposed attributes and its Loop Iterations node.
struct ProjectInterface {
    // Scans `graph`, names unnamed IO nodes after their type, gives a project without outputs one
    // Image IO output per named Writer, and deletes the nodes upstream of the inputs. Returns code
    // 2 with the message for the user when the project cannot be used; the graph may then have
    // been changed, and is meant to be dropped.
    static Status Discover(NodeGraph& graph, ProjectInterface& found);

    std::vector<IoNode*> m_inputs;
    std::vector<IoNode*> m_outputs;
    // The last one in graph order, or null.
    LoopIterationsNode* m_loop_iterations_node = nullptr;
    std::vector<AttributeInfo> m_attributes;
};
