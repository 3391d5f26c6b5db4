#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Attribute.h"
#include "host/HostExport.h"

class DynamicNode;
class Node;

// The attributes of a DynamicNode (definitions and values) with every connection that reaches
// them, captured so that an editor can put the node back as it was (undo) or rebuild it with an
// attribute renamed. Connections into a plug group of the same name (a switch node's growing
// inputs) are captured as the whole group in order, so that restoring keeps its order.
//
// A state refers to the other nodes by pointer: they must outlive it. GUI thread only.
class QM_HOST_API AttributeListState {
public:
    static AttributeListState Capture(const DynamicNode& node);

    // Makes the node hold the captured attributes, values and connections. Attributes from the
    // first one whose name or type differs are deleted and added again (which posts
    // attribute-deleted and attribute-added events); the others change in place. False when a
    // captured connection could not be made again.
    bool Restore(DynamicNode& node) const;

    // Renames attribute `from` to `to`, with the connections that name it. False when the state
    // has no attribute `from`.
    bool Rename(const std::string& from, const std::string& to);

    // The name of the one attribute whose value alone differs between the states, or empty.
    std::string ValueOnlyChange(const AttributeListState& other) const;

    // Numbers compare bit for bit, so NaN equals itself.
    bool operator==(const AttributeListState& other) const;

private:
    struct Definition {
        std::string m_name;
        Attribute::Type m_type = Attribute::NUMBER;
        // The four default components, minimum, maximum and single step.
        double m_numbers[7] = {0, 0, 0, 0, 0, 0, 0};
        int m_decimals = 0;
        std::vector<std::string> m_choices;
        std::string m_value;
    };
    // A source of one plug of a group; a null node is the state's own node.
    struct Source {
        Node* m_node = nullptr;
        std::string m_outplug;
        uint32_t m_index = 0;
        bool operator==(const Source&) const = default;
    };
    // The sources of every inplug named m_inplug of m_target (null: the state's own node), in
    // plug order; an unconnected plug has a null source with an empty outplug name.
    struct Group {
        Node* m_target = nullptr;
        std::string m_inplug;
        std::vector<Source> m_sources;
        bool operator==(const Group&) const = default;
    };

    static bool SameDefinition(const Definition& a, const Definition& b);
    static void ApplyDefinition(const Definition& definition, Attribute& attribute);

    std::vector<Definition> m_definitions;
    std::vector<Group> m_groups;
};
