#include "host/Node.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "host/Engine.h"

namespace {

const std::string kEmptyString;

void FillAttributeValue(const Attribute& attribute, Node::Value& value) {
    value.m_type = Node::AttributeValueType(attribute.GetType());
    switch (attribute.GetType()) {
        case Attribute::BOOLEAN:
            value.m_boolean = attribute.GetBoolean();
            break;
        case Attribute::NUMBER:
            value.m_number = attribute.GetNumber();
            break;
        case Attribute::POINT:
            value.m_point = attribute.GetPoint();
            break;
        case Attribute::FRAME:
            value.m_frame = attribute.GetFrame();
            break;
        case Attribute::RGBO:
            value.m_rgbo = attribute.GetRgbo();
            break;
        case Attribute::CHOICE:
            value.m_string = attribute.GetChoice();
            break;
        case Attribute::STRING:
            value.m_string = attribute.GetString();
            break;
    }
}

}  // namespace

// ---- Plugs ----

void Node::UpdateInplugsAndOutplugs() {
    Engine::Get()->NoteStructureChange();
    const bool first_build = !m_plugs_built;
    m_plugs_built = true;
    const bool was_fully_dirty = IsFullyDirty();

    // Outplugs first: dropping a connection may shrink an expanding input, possibly of this node,
    // which must happen before the inplugs are matched.
    std::vector<Outplug> outplugs(m_outplug_declarations.size());
    for (size_t d = 0; d < m_outplug_declarations.size(); ++d) {
        outplugs[d].m_name = m_outplug_declarations[d].m_name;
        outplugs[d].m_type = m_outplug_declarations[d].m_type;
        outplugs[d].m_declaration = uint32_t(d);
        outplugs[d].m_value.m_owner = this;
    }
    std::vector<uint32_t> outplug_map(m_outplugs.size(), kNone);
    for (size_t k = 0; k < m_outplugs.size(); ++k) {
        const Outplug& old = m_outplugs[k];
        if (old.m_declaration < outplugs.size() &&
            outplugs[old.m_declaration].m_name == old.m_name &&
            outplugs[old.m_declaration].m_type == old.m_type) {
            outplug_map[k] = old.m_declaration;
        }
    }
    // Disconnecting erases only that entry, so the entries before it keep their positions.
    for (size_t c = m_outgoing.size(); c-- > 0;) {
        if (c < m_outgoing.size() && outplug_map[m_outgoing[c].m_outplug] == kNone) {
            Engine::Get()->DisconnectInplug(m_outgoing[c].m_target, m_outgoing[c].m_inplug);
        }
    }
    for (Connection& connection : m_outgoing) {
        connection.m_outplug = outplug_map[connection.m_outplug];
        connection.m_target->m_inplugs[connection.m_inplug].m_source_outplug = connection.m_outplug;
    }
    m_outplugs = std::move(outplugs);
    m_num_dirty = uint32_t(m_outplugs.size());

    // Inplugs: attributes, then the regular inputs.
    std::vector<Inplug> inplugs;
    std::vector<uint32_t> inplug_map(m_inplugs.size(), kNone);
    auto keep = [&](uint32_t old_index, Inplug& inplug) {
        inplug_map[old_index] = uint32_t(inplugs.size());
        inplug.m_source = m_inplugs[old_index].m_source;
        inplug.m_source_outplug = m_inplugs[old_index].m_source_outplug;
    };
    for (size_t a = 0; a < m_attributes.size(); ++a) {
        Inplug inplug;
        inplug.m_attribute = m_attributes[a];
        inplug.m_name = m_attributes[a]->GetName();
        inplug.m_type = AttributeValueType(m_attributes[a]->GetType());
        inplug.m_own_value.m_owner = this;
        FillAttributeValue(*m_attributes[a], inplug.m_own_value);
        for (size_t old = 0; old < m_inplugs.size(); ++old) {
            // Try the same position first: attributes rarely move.
            const size_t j = (a + old) % m_inplugs.size();
            if (m_inplugs[j].m_attribute == m_attributes[a] && inplug_map[j] == kNone) {
                keep(uint32_t(j), inplug);
                break;
            }
        }
        inplugs.push_back(std::move(inplug));
    }
    m_num_attribute_inplugs = uint32_t(inplugs.size());
    for (size_t d = 0; d < m_inplug_declarations.size(); ++d) {
        const InplugDeclaration& declaration = m_inplug_declarations[d];
        auto make = [&]() {
            Inplug inplug;
            inplug.m_name = declaration.m_name;
            inplug.m_type = declaration.m_type;
            inplug.m_declaration = uint32_t(d);
            inplug.m_expanding = declaration.m_expanding != 0;
            inplug.m_own_value.m_owner = this;
            return inplug;
        };
        bool kept = false;
        for (size_t j = 0; j < m_inplugs.size(); ++j) {
            const Inplug& old = m_inplugs[j];
            if (old.m_declaration != d || old.m_name != declaration.m_name ||
                old.m_type != declaration.m_type) {
                continue;
            }
            if (declaration.m_expanding) {
                if (old.m_source) {
                    Inplug inplug = make();
                    keep(uint32_t(j), inplug);
                    inplugs.push_back(std::move(inplug));
                }
            } else if (!kept) {
                Inplug inplug = make();
                keep(uint32_t(j), inplug);
                inplugs.push_back(std::move(inplug));
                kept = true;
            }
        }
        if (declaration.m_expanding || !kept) {
            inplugs.push_back(make());
        }
    }

    // Renumber the sources' records of the connections into this node, in two passes so that an
    // id moved onto another's old id is not mistaken for it.
    constexpr uint32_t kTag = 0x80000000u;
    for (size_t j = 0; j < m_inplugs.size(); ++j) {
        Node* source = m_inplugs[j].m_source;
        if (!source) {
            continue;
        }
        Connection* connection =
            source->FindOutgoing(m_inplugs[j].m_source_outplug, this, uint32_t(j));
        if (inplug_map[j] == kNone) {
            source->m_outgoing.erase(source->m_outgoing.begin() +
                                     (connection - source->m_outgoing.data()));
        } else {
            connection->m_inplug = inplug_map[j] | kTag;
        }
    }
    for (size_t j = 0; j < m_inplugs.size(); ++j) {
        if (m_inplugs[j].m_source && inplug_map[j] != kNone) {
            m_inplugs[j]
                .m_source->FindOutgoing(m_inplugs[j].m_source_outplug, this, inplug_map[j] | kTag)
                ->m_inplug = inplug_map[j];
        }
    }
    m_inplugs = std::move(inplugs);

    if (!first_build) {
        if (!was_fully_dirty) {
            for (const Connection& connection : m_outgoing) {
                connection.m_target->DirtyDownstream();
            }
        }
        PostEvent(kEventPlugsChanged, 0);
    }
}

uint32_t Node::GetInplugIdFromAttributeId(uint32_t attribute_id) const {
    return attribute_id;
}

uint32_t Node::GetInplugIdFromRegularInputId(uint32_t input) const {
    return m_num_attribute_inplugs + input;
}

uint32_t Node::GetNumInplugs() const {
    return uint32_t(m_inplugs.size());
}

uint32_t Node::GetNumOutplugs() const {
    return uint32_t(m_outplugs.size());
}

const std::string& Node::GetInplugName(uint32_t inplug) const {
    return inplug < m_inplugs.size() ? m_inplugs[inplug].m_name : kEmptyString;
}

const std::string& Node::GetOutplugName(uint32_t outplug) const {
    return outplug < m_outplugs.size() ? m_outplugs[outplug].m_name : kEmptyString;
}

Node::Value::Type Node::GetInplugValueType(uint32_t inplug) const {
    return inplug < m_inplugs.size() ? m_inplugs[inplug].m_type : Value::None;
}

Node::Value::Type Node::GetOutplugValueType(uint32_t outplug) const {
    return outplug < m_outplugs.size() ? m_outplugs[outplug].m_type : Value::None;
}

uint32_t Node::FindInplug(const std::string& name, uint32_t index) const {
    for (size_t i = 0; i < m_inplugs.size(); ++i) {
        if (m_inplugs[i].m_name == name && index-- == 0) {
            return uint32_t(i);
        }
    }
    return kNone;
}

uint32_t Node::FindOutplug(const std::string& name, uint32_t index) const {
    for (size_t k = 0; k < m_outplugs.size(); ++k) {
        if (m_outplugs[k].m_name == name && index-- == 0) {
            return uint32_t(k);
        }
    }
    return kNone;
}

// ---- Connections ----

Node* Node::GetInplugNode(uint32_t inplug) const {
    return inplug < m_inplugs.size() ? m_inplugs[inplug].m_source : nullptr;
}

uint32_t Node::GetInplugNodeOutplug(uint32_t inplug) const {
    return inplug < m_inplugs.size() && m_inplugs[inplug].m_source
               ? m_inplugs[inplug].m_source_outplug
               : kNone;
}

uint32_t Node::GetNumConnectedToInplug() const {
    return uint32_t(std::count_if(m_inplugs.begin(), m_inplugs.end(),
                                  [](const Inplug& inplug) { return inplug.m_source != nullptr; }));
}

uint32_t Node::GetNumConnectedToOutplug() const {
    return uint32_t(m_outgoing.size());
}

uint32_t Node::GetNumConnectedToOutplug(uint32_t outplug) const {
    return uint32_t(std::count_if(m_outgoing.begin(), m_outgoing.end(),
                                  [&](const Connection& c) { return c.m_outplug == outplug; }));
}

Node* Node::GetOutplugConnectionNode(uint32_t connection) const {
    return connection < m_outgoing.size() ? m_outgoing[connection].m_target : nullptr;
}

uint32_t Node::GetOutplugConnectionOutplugId(uint32_t connection) const {
    return connection < m_outgoing.size() ? m_outgoing[connection].m_outplug : kNone;
}

uint32_t Node::GetOuplugConnectionNodeInplugId(uint32_t connection) const {
    return connection < m_outgoing.size() ? m_outgoing[connection].m_inplug : kNone;
}

void Node::AttachSource(uint32_t inplug, Node* from, uint32_t outplug) {
    Engine::Get()->NoteStructureChange();
    m_inplugs[inplug].m_source = from;
    m_inplugs[inplug].m_source_outplug = outplug;
    from->m_outgoing.push_back({outplug, this, inplug});
}

void Node::DetachSource(uint32_t inplug) {
    Engine::Get()->NoteStructureChange();
    Inplug& plug = m_inplugs[inplug];
    std::vector<Connection>& outgoing = plug.m_source->m_outgoing;
    outgoing.erase(
        outgoing.begin() +
        (plug.m_source->FindOutgoing(plug.m_source_outplug, this, inplug) - outgoing.data()));
    plug.m_source = nullptr;
    plug.m_source_outplug = 0;
}

Node::Connection* Node::FindOutgoing(uint32_t outplug, const Node* target, uint32_t inplug) {
    for (Connection& connection : m_outgoing) {
        if (connection.m_target == target && connection.m_inplug == inplug &&
            connection.m_outplug == outplug) {
            return &connection;
        }
    }
    // Both ends are always updated together.
    std::terminate();
}

void Node::InsertInplug(uint32_t position, Inplug inplug) {
    Engine::Get()->NoteStructureChange();
    m_inplugs.insert(m_inplugs.begin() + position, std::move(inplug));
    // From the top down, so that an id is never raised onto one not yet raised.
    for (size_t j = m_inplugs.size() - 1; j > position; --j) {
        if (Node* source = m_inplugs[j].m_source) {
            source->FindOutgoing(m_inplugs[j].m_source_outplug, this, uint32_t(j - 1))->m_inplug =
                uint32_t(j);
        }
    }
}

void Node::EraseInplug(uint32_t position) {
    Engine::Get()->NoteStructureChange();
    m_inplugs.erase(m_inplugs.begin() + position);
    for (size_t j = position; j < m_inplugs.size(); ++j) {
        if (Node* source = m_inplugs[j].m_source) {
            source->FindOutgoing(m_inplugs[j].m_source_outplug, this, uint32_t(j + 1))->m_inplug =
                uint32_t(j);
        }
    }
}

uint32_t Node::ExpandingGroupEnd(uint32_t inplug) const {
    const uint32_t declaration = m_inplugs[inplug].m_declaration;
    uint32_t end = inplug;
    while (end < m_inplugs.size() && m_inplugs[end].m_declaration == declaration) {
        ++end;
    }
    return end;
}

bool Node::ExpandingGroupHasFreePlug(uint32_t inplug) const {
    const uint32_t declaration = m_inplugs[inplug].m_declaration;
    uint32_t begin = inplug;
    while (begin > 0 && m_inplugs[begin - 1].m_declaration == declaration) {
        --begin;
    }
    const uint32_t end = ExpandingGroupEnd(inplug);
    for (uint32_t j = begin; j < end; ++j) {
        if (!m_inplugs[j].m_source) {
            return true;
        }
    }
    return false;
}

// ---- Attribute inplugs ----

void Node::AttributeChanged(const Attribute& attribute, bool notify) {
    const uint32_t id = attribute.GetId();
    Inplug* inplug = id < m_num_attribute_inplugs && m_inplugs[id].m_attribute == &attribute
                         ? &m_inplugs[id]
                         : nullptr;
    for (uint32_t i = 0; !inplug && i < m_num_attribute_inplugs; ++i) {
        if (m_inplugs[i].m_attribute == &attribute) {
            inplug = &m_inplugs[i];
        }
    }
    if (inplug) {
        FillAttributeValue(attribute, inplug->m_own_value);
    }
    DirtyDownstream();
    if (notify) {
        PostEvent(kEventAttributeChanged, id);
    }
}
