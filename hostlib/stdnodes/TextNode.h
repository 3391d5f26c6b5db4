#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// Publishes its "value" attribute as a string.
class TextNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 2, 6};
    static constexpr const char* kTypeName = "Text";

    TextNode();
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    std::string GetStringValue(uint32_t outplug) override;

private:
    enum : uint32_t { kValue };
    std::string m_text;
};
