#include "host/AttributeListState.h"

#include <algorithm>
#include <cstring>

#include "host/DynamicNode.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/StringJoin.h"

namespace {

// How many plugs named like `plug` come before it: the index ConnectNodes takes.
uint32_t IndexAmongSameNamed(const std::string& name, uint32_t plug,
                             const std::string& (Node::*name_of)(uint32_t) const,
                             const Node& node) {
    uint32_t index = 0;
    for (uint32_t p = 0; p < plug; ++p) {
        if ((node.*name_of)(p) == name) {
            ++index;
        }
    }
    return index;
}

void AddGroup(std::vector<std::pair<Node*, std::string>>& groups, Node* target,
              const std::string& inplug) {
    const std::pair<Node*, std::string> group{target, inplug};
    if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
        groups.push_back(group);
    }
}

}  // namespace

AttributeListState AttributeListState::Capture(const DynamicNode& node) {
    AttributeListState state;
    for (size_t index = 0; index < node.GetNumAttributes(); ++index) {
        const Attribute& a = *node.GetAttributeByIndex(index);
        Definition d;
        d.m_name = a.GetName();
        d.m_type = a.GetType();
        const double numbers[7] = {a.m_default[0], a.m_default[1], a.m_default[2], a.m_default[3],
                                   a.m_minimum,    a.m_maximum,    a.m_single_step};
        std::copy(numbers, numbers + 7, d.m_numbers);
        d.m_decimals = a.m_decimals;
        d.m_choices = a.GetChoiceNames();
        d.m_value = a.GetValueText();
        state.m_definitions.push_back(std::move(d));
    }

    // Null stands for the node itself, so that a rename can follow its own plug names.
    const Node* self = &node;
    std::vector<std::pair<Node*, std::string>> targets;
    for (uint32_t c = 0; c < node.GetNumConnectedToOutplug(); ++c) {
        Node* target = node.GetOutplugConnectionNode(c);
        AddGroup(targets, target == self ? nullptr : target,
                 target->GetInplugName(node.GetOuplugConnectionNodeInplugId(c)));
    }
    for (uint32_t inplug = 0; inplug < node.GetNumInplugs(); ++inplug) {
        if (node.GetInplugNode(inplug)) {
            AddGroup(targets, nullptr, node.GetInplugName(inplug));
        }
    }
    for (const auto& [target, inplug_name] : targets) {
        const Node& to = target ? *target : static_cast<const Node&>(node);
        Group group{target, inplug_name, {}};
        for (uint32_t inplug = 0; inplug < to.GetNumInplugs(); ++inplug) {
            if (to.GetInplugName(inplug) != inplug_name) {
                continue;
            }
            Source source;
            if (Node* from = to.GetInplugNode(inplug)) {
                const uint32_t outplug = to.GetInplugNodeOutplug(inplug);
                source.m_node = from == self ? nullptr : from;
                source.m_outplug = from->GetOutplugName(outplug);
                source.m_index =
                    IndexAmongSameNamed(source.m_outplug, outplug, &Node::GetOutplugName, *from);
            }
            group.m_sources.push_back(std::move(source));
        }
        state.m_groups.push_back(std::move(group));
    }
    return state;
}

bool AttributeListState::SameDefinition(const Definition& a, const Definition& b) {
    return a.m_name == b.m_name && a.m_type == b.m_type &&
           std::memcmp(a.m_numbers, b.m_numbers, sizeof(a.m_numbers)) == 0 &&
           a.m_decimals == b.m_decimals && a.m_choices == b.m_choices;
}

void AttributeListState::ApplyDefinition(const Definition& d, Attribute& attribute) {
    std::copy(d.m_numbers, d.m_numbers + 4, attribute.m_default);
    attribute.m_minimum = d.m_numbers[4];
    attribute.m_maximum = d.m_numbers[5];
    attribute.m_single_step = d.m_numbers[6];
    attribute.m_decimals = d.m_decimals;
    if (attribute.GetChoiceNames() != d.m_choices) {
        attribute.SetChoiceNames(StringJoin(d.m_choices, ","));
    }
    if (attribute.GetValueText() != d.m_value) {
        attribute.SetValueText(d.m_value, true);
    }
}

bool AttributeListState::Restore(DynamicNode& node) const {
    size_t kept = 0;
    while (kept < m_definitions.size() && kept < node.GetNumAttributes() &&
           node.GetAttributeByIndex(kept)->GetName() == m_definitions[kept].m_name &&
           node.GetAttributeByIndex(kept)->GetType() == m_definitions[kept].m_type) {
        ++kept;
    }
    for (size_t index = node.GetNumAttributes(); index > kept; --index) {
        node.DeleteAttribute(index - 1);
    }
    for (size_t index = kept; index < m_definitions.size(); ++index) {
        const Definition& d = m_definitions[index];
        switch (d.m_type) {
            case Attribute::BOOLEAN:
                node.AddBooleanAttribute(d.m_name, false);
                break;
            case Attribute::NUMBER:
                node.AddNumberAttribute(d.m_name, 0, 0, 0, 0, 0);
                break;
            case Attribute::POINT:
                node.AddPointAttribute(d.m_name, Point{}, 0, 0, 0, 0);
                break;
            case Attribute::FRAME:
                node.AddFrameAttribute(d.m_name, Frame{});
                break;
            case Attribute::RGBO:
                node.AddRgboAttribute(d.m_name, Rgbo{});
                break;
            case Attribute::CHOICE:
                node.AddChoiceAttribute(d.m_name, StringJoin(d.m_choices, ","));
                break;
            case Attribute::STRING:
                node.AddStringAttribute(d.m_name, "");
                break;
        }
    }
    for (size_t index = 0; index < m_definitions.size(); ++index) {
        ApplyDefinition(m_definitions[index], *node.GetAttributeByIndex(index));
    }

    NodeGraph* graph = node.GetGraph();
    bool connected = true;
    for (const Group& group : m_groups) {
        Node* target = group.m_target ? group.m_target : &node;
        for (size_t k = 0; k < group.m_sources.size(); ++k) {
            const Source& source = group.m_sources[k];
            if (source.m_outplug.empty()) {
                continue;
            }
            Node* from = source.m_node ? source.m_node : &node;
            connected = graph &&
                        graph->ConnectNodes(from, source.m_outplug, source.m_index, target,
                                            group.m_inplug, uint32_t(k)) &&
                        connected;
        }
    }
    return connected;
}

bool AttributeListState::Rename(const std::string& from, const std::string& to) {
    auto found = std::find_if(m_definitions.begin(), m_definitions.end(),
                              [&](const Definition& d) { return d.m_name == from; });
    if (found == m_definitions.end()) {
        return false;
    }
    found->m_name = to;
    // The node's outplugs and attribute inplugs are named after its attributes.
    for (Group& group : m_groups) {
        if (!group.m_target && group.m_inplug == from) {
            group.m_inplug = to;
        }
        for (Source& source : group.m_sources) {
            if (!source.m_node && source.m_outplug == from) {
                source.m_outplug = to;
            }
        }
    }
    return true;
}

std::string AttributeListState::ValueOnlyChange(const AttributeListState& other) const {
    if (m_definitions.size() != other.m_definitions.size() || !(m_groups == other.m_groups)) {
        return {};
    }
    std::string changed;
    for (size_t index = 0; index < m_definitions.size(); ++index) {
        const Definition& a = m_definitions[index];
        const Definition& b = other.m_definitions[index];
        if (!SameDefinition(a, b)) {
            return {};
        }
        if (a.m_value != b.m_value) {
            if (!changed.empty()) {
                return {};
            }
            changed = a.m_name;
        }
    }
    return changed;
}

bool AttributeListState::operator==(const AttributeListState& other) const {
    if (m_definitions.size() != other.m_definitions.size() || !(m_groups == other.m_groups)) {
        return false;
    }
    for (size_t index = 0; index < m_definitions.size(); ++index) {
        const Definition& a = m_definitions[index];
        const Definition& b = other.m_definitions[index];
        if (!SameDefinition(a, b) || a.m_value != b.m_value) {
            return false;
        }
    }
    return true;
}
