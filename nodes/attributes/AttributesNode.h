#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/DynamicNode.h"

// Holds the user-defined parameters of a project and publishes each attribute's value on the
// outplug of the same index. It computes nothing: the getters read the attributes directly. The
// definitions live in a side file (AttributeDefinitionFile); the host saves the values.
class AttributesNode : public DynamicNode {
public:
    AttributesNode();
    ~AttributesNode() override;

    // Re-creates the source's attribute definitions after the existing ones. Numbers start from
    // the source's default, strings empty, the other types from the source's current value.
    void CopyFrom(Node* source) override;
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;

    // Attribute `outplug`'s value when it has the getter's type, else the zero value.
    bool GetBooleanValue(uint32_t outplug) override;
    double GetNumberValue(uint32_t outplug) override;
    Point GetPointValue(uint32_t outplug) override;
    Frame GetFrameValue(uint32_t outplug) override;
    Rgbo GetRgboValue(uint32_t outplug) override;
    // STRING: the text; CHOICE: the selected choice's name.
    std::string GetStringValue(uint32_t outplug) override;

    // Writes base_path + ".xml" and names it, whether or not the write succeeded.
    std::vector<std::string> SaveDefinitions(const std::string& base_path) override;
    // Appends the attributes defined in the single file given; false (nothing added) when there
    // is not exactly one file or it is not a definition file.
    bool LoadDefinitions(const std::vector<std::string>& files) override;

private:
    // Attribute `outplug` when it exists and has that type, else null.
    const Attribute* AttributeOfType(uint32_t outplug, Attribute::Type type) const;
};
