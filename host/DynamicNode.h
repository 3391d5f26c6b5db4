#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/Node.h"

// A node whose attributes can be added and deleted after construction. Built with
// outplugs_from_attributes true, it keeps one outplug per attribute, named after the attribute and
// of its value type (BOOLEAN boolean, NUMBER number, POINT point, FRAME frame, RGBO rgbo, CHOICE
// and STRING string; a choice travels as its name).
class QM_HOST_API DynamicNode : public Node {
public:
    // A saved value the reader could not apply yet (see Node::StoreRecord).
    struct AttributeRecord {
        std::string m_name;
        std::string m_type_word;
        std::string m_value;
        std::string m_extra;
    };

    explicit DynamicNode(bool outplugs_from_attributes);
    ~DynamicNode() override;

    // Each Add appends an attribute (and its inplug, and its outplug when the node has them),
    // posts an attribute-added event with the new index, and returns that index.
    uint64_t AddBooleanAttribute(const std::string& name, bool value);
    uint64_t AddNumberAttribute(const std::string& name, double value, double minimum,
                                double maximum, double single_step, int decimals);
    uint64_t AddPointAttribute(const std::string& name, const Point& value, double minimum,
                               double maximum, double single_step, int decimals);
    uint64_t AddFrameAttribute(const std::string& name, const Frame& value);
    uint64_t AddRgboAttribute(const std::string& name, const Rgbo& value);
    // The first choice is selected.
    uint64_t AddChoiceAttribute(const std::string& name, const std::string& choices);
    uint64_t AddStringAttribute(const std::string& name, const std::string& text);

    // Removes the attribute, its inplug and its outplug; later attributes, inplugs and outplugs
    // move down by one and keep their connections. Returns false for an invalid index.
    bool DeleteAttribute(uint64_t index);

    // Rebuilds the outplug declarations from the attributes (outplug-per-attribute nodes only)
    // and then the plugs.
    void UpdateOutplugs();

    // Applies the stored records to the attributes of the same name and type word, then clears
    // them. Records that fit no attribute are reported with code 1.
    Status SetAttributeLoadedValues();

    bool HasOutplugsFromAttributes() const { return m_outplugs_from_attributes; }

protected:
    std::vector<AttributeRecord> m_loaded_records;

private:
    uint64_t AppendAttribute(Attribute* attribute);

    bool m_outplugs_from_attributes;
};
