#pragma once

#include <string>
#include <vector>

#include "host/DynamicNode.h"

// A test node with an attribute of every type, same-named plugs, an expanding input, a version
// the test chooses, and a side file listing the number attributes added after construction
// (written by SaveDefinitions, re-created by LoadDefinitions). It keeps saved values of unknown
// attributes whose names start with "kept_". Its PostLoad fails when its label reads
// "fail post load" and throws when it reads "throw in post load".
class RecordingNode : public DynamicNode {
public:
    static NodeType Type() { return NodeType(900, 1, 1); }

    RecordingNode();

    NodeType GetNodeType() const override { return Type(); }
    std::string GetTypeName() const override { return "Recording"; }
    uint32_t GetVersion() const override { return m_version; }
    bool StoreRecord(int kind, const char* a, const char* b, const char* c, const char* d) override;
    uint32_t V0GetOutplugIndex(const std::string& name) const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    double GetNumberValue(uint32_t outplug) override;
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
    // Number of attributes when PostLoad ran.
    size_t m_attributes_at_post_load = 0;

private:
    std::vector<std::string> m_extras;
};
