#pragma once

#include <string>
#include <vector>

#include "host/DynamicNode.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

// A test node that, like a node running a saved project, reads the project named by its "path"
// attribute (relative to its own project) into an inner graph when it is loaded.
class NestingNode : public DynamicNode {
public:
    static NodeType Type() { return NodeType(900, 1, 2); }

    NestingNode();

    NodeType GetNodeType() const override { return Type(); }
    std::string GetTypeName() const override { return "Nesting"; }
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Status PostLoad(uint32_t version) override;

    RefPtr<NodeGraph> m_inner_graph;
    Status m_inner_status;
    // Reads made by all nesting nodes, to show that reading stops.
    static inline int s_num_reads = 0;
};
