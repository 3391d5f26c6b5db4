#pragma once

#include <string>
#include <vector>

#include "host/DynamicNode.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"

// A test node with an attribute of every type, same-named plugs, an expanding input and a version
// the test chooses. Number attributes added after construction are listed in a side file by
// SaveDefinitions and re-created by LoadDefinitions; saved values of unknown attributes named
// "kept_..." are kept as records. PostLoad acts on the label: "fail post load" fails, "throw in
// post load" throws, and "include:PATH" reads the project PATH (relative to the node's own
// project) into m_inner_graph, as a node running a saved project does.
class RecordingNode : public DynamicNode {
public:
    static NodeType Type() { return NodeType(900, 1, 1); }
    // Registers the type once per process; false when another class holds it.
    static bool Register();

    RecordingNode();

    NodeType GetNodeType() const override { return Type(); }
    std::string GetTypeName() const override { return "Recording"; }
    uint32_t GetVersion() const override { return m_version; }
    bool StoreRecord(int kind, const char* a, const char* b, const char* c, const char* d) override;
    uint32_t V0GetOutplugIndex(const std::string& name) const override;
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    std::vector<std::string> SaveDefinitions(const std::string& base_path) override;
    bool LoadDefinitions(const std::vector<std::string>& files) override;
    Status PostLoad(uint32_t version) override;

    // A number attribute that only the side file brings back.
    void AddExtra(const std::string& name);
    const std::vector<AttributeRecord>& GetRecords() const { return m_loaded_records; }

    uint32_t m_version = 0;
    // SaveDefinitions names its side file without writing it.
    bool m_lose_side_file = false;
    uint32_t m_loaded_version = 0;
    size_t m_attributes_at_post_load = 0;
    RefPtr<NodeGraph> m_inner_graph;
    Status m_inner_status;
    // Includes read by all nodes, to show where reading stops.
    static inline int s_num_includes = 0;

private:
    std::vector<std::string> m_extras;
};
