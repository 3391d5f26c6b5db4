#include "host/Node.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <utility>

#include "host/Engine.h"
#include "host/NodeListener.h"
#include "host/Update.h"

namespace {

const std::string kEmptyString;

bool IsPointerType(Node::Value::Type type) {
    return type == Node::Value::Image || type == Node::Value::Texture ||
           type == Node::Value::Curve || type == Node::Value::Material;
}

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

Node::Value::Type Node::AttributeValueType(Attribute::Type type) {
    switch (type) {
        case Attribute::BOOLEAN:
            return Value::Boolean;
        case Attribute::NUMBER:
            return Value::Number;
        case Attribute::POINT:
            return Value::Point;
        case Attribute::FRAME:
            return Value::Frame;
        case Attribute::RGBO:
            return Value::Rgbo;
        case Attribute::CHOICE:
        case Attribute::STRING:
            return Value::String;
    }
    return Value::None;
}

Node::Node() = default;

Node::~Node() {
    Engine::Get()->DisconnectAll(this);
    for (const RefPtr<Attribute>& attribute : m_attributes) {
        if (attribute && attribute->m_node == this) {
            attribute->m_node = nullptr;
        }
    }
    Update::Get()->Forget(this);
}

// ---- Virtual defaults ----

void Node::CopyFrom(Node*) {}

uint32_t Node::GetVersion() const {
    return 0;
}

void Node::InitFromProject(const std::string&, const NodeType&, const std::string&) {}

std::string Node::GetInplugAlias(uint32_t inplug) const {
    return GetInplugName(inplug);
}

bool Node::GetInplugVisibility(uint32_t) const {
    return true;
}

std::string Node::GetOutplugAlias(uint32_t outplug) const {
    return GetOutplugName(outplug);
}

bool Node::GetOutplugVisibility(uint32_t) const {
    return true;
}

bool Node::InplugAffectsOutplug(uint32_t, uint32_t) const {
    return true;
}

bool Node::StoreRecord(int, const char*, const char*, const char*, const char*) {
    return false;
}

std::string Node::V0GetOutplugName(uint32_t index) const {
    return GetOutplugName(index);
}

uint32_t Node::V0GetOutplugIndex(const std::string& name) const {
    return FindOutplug(name);
}

std::string Node::V0GetInplugName(uint32_t index) const {
    return GetInplugName(index);
}

uint32_t Node::V0GetInplugIndex(const std::string& name) const {
    return FindInplug(name);
}

bool Node::OnProcessEvent(NodeEvent event) {
    if (event.m_type == kEventInplugChanged) {
        DirtyDownstream();
    }
    // A listener may remove itself (or others) during the call: only step on when the listener
    // called is still at this position.
    for (size_t i = 0; i < m_listeners.size();) {
        NodeListener* listener = m_listeners[i];
        listener->OnNodeEvent(this, event);
        if (i < m_listeners.size() && m_listeners[i] == listener) {
            ++i;
        }
    }
    return true;
}

size_t Node::GetNumAttributes() const {
    return m_attributes.size();
}

Attribute* Node::GetAttributeByIndex(size_t index) const {
    return index < m_attributes.size() ? m_attributes[index].Get() : nullptr;
}

uint32_t Node::GetNumFileReferences() const {
    return 0;
}

uint32_t Node::GetNumDirectoryReferences() const {
    return 0;
}

std::string Node::GetFileReference(uint32_t) const {
    return {};
}

void Node::SetFileReference(uint32_t, const std::string&) {}

Status Node::ReadFileReference(uint32_t, const std::string&) {
    return Status(StatusCode::Error, "This node reads no files.");
}

bool Node::GetBooleanValue(uint32_t) {
    return false;
}

double Node::GetNumberValue(uint32_t) {
    return 0.0;
}

Point Node::GetPointValue(uint32_t) {
    return {};
}

Frame Node::GetFrameValue(uint32_t) {
    return {};
}

Rgbo Node::GetRgboValue(uint32_t) {
    return {};
}

Image* Node::GetImageValue(uint32_t) {
    return nullptr;
}

Material* Node::GetMaterialValue(uint32_t) {
    return nullptr;
}

std::vector<BezierSpline*>* Node::GetCurveValue(uint32_t) {
    return nullptr;
}

std::string Node::GetStringValue(uint32_t) {
    return {};
}

std::vector<std::string> Node::SaveDefinitions(const std::string&) {
    return {};
}

bool Node::LoadDefinitions(const std::vector<std::string>&) {
    return false;
}

Status Node::PreLoad() {
    return Status::Ok();
}

Status Node::PostLoad(uint32_t) {
    return Status::Ok();
}

Status Node::PostConnect(const std::vector<Node*>&) {
    return Status::Ok();
}

// ---- Plugs ----

void Node::UpdateInplugsAndOutplugs() {
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
    m_inplugs[inplug].m_source = from;
    m_inplugs[inplug].m_source_outplug = outplug;
    from->m_outgoing.push_back({outplug, this, inplug});
}

void Node::DetachSource(uint32_t inplug) {
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

// ---- Values, states, dirtiness ----

void Node::LockShared() {
    int32_t readers = m_value_lock.load(std::memory_order_relaxed);
    for (;;) {
        if (readers >= 0) {
            if (m_value_lock.compare_exchange_weak(readers, readers + 1, std::memory_order_acquire,
                                                   std::memory_order_relaxed)) {
                return;
            }
        } else {
            std::this_thread::yield();
            readers = m_value_lock.load(std::memory_order_relaxed);
        }
    }
}

void Node::UnlockShared() {
    m_value_lock.fetch_sub(1, std::memory_order_release);
}

void Node::LockExclusive() {
    int32_t expected = 0;
    while (!m_value_lock.compare_exchange_weak(expected, -1, std::memory_order_acquire,
                                               std::memory_order_relaxed)) {
        expected = 0;
        std::this_thread::yield();
    }
}

void Node::UnlockExclusive() {
    m_value_lock.store(0, std::memory_order_release);
}

Node::Value Node::LockValue(uint32_t outplug) {
    if (outplug >= m_outplugs.size()) {
        return Value(this);
    }
    LockShared();
    Value value(m_outplugs[outplug].m_value);
    value.m_locked_node = this;
    return value;
}

void Node::ReleaseValue(Value& value) {
    if (value.m_locked_node) {
        std::exchange(value.m_locked_node, nullptr)->UnlockShared();
    }
}

uint32_t Node::GetNumValueLocks() const {
    const int32_t state = m_value_lock.load(std::memory_order_relaxed);
    return state > 0 ? uint32_t(state) : 0;
}

void Node::StoreResults(uint32_t outplug) {
    StoreOutplugValue(outplug);
    for (uint32_t k = 0; k < m_outplugs.size(); ++k) {
        if (k != outplug && IsPointerType(m_outplugs[k].m_type)) {
            StoreOutplugValue(k);
        }
    }
}

void Node::StoreOutplugValue(uint32_t outplug) {
    // The getter runs before the lock is taken: it is the node's code and may lock values itself.
    // Only the member of the outplug's type is written, so a run stores a few words, not a Value.
    // Stored values never hold a lock: only the copies LockValue hands out do.
    const auto store = [this, outplug](auto member, auto data, Value::Type type) {
        LockExclusive();
        Value& stored = m_outplugs[outplug].m_value;
        stored.*member = std::move(data);
        stored.m_type = type;
        stored.m_owner = this;
        UnlockExclusive();
    };
    const Value::Type type = m_outplugs[outplug].m_type;
    switch (type) {
        case Value::None:
            store(&Value::m_type, Value::None, Value::None);
            break;
        case Value::Boolean:
            store(&Value::m_boolean, GetBooleanValue(outplug), type);
            break;
        case Value::Number:
            store(&Value::m_number, GetNumberValue(outplug), type);
            break;
        case Value::Point:
            store(&Value::m_point, GetPointValue(outplug), type);
            break;
        case Value::Frame:
            store(&Value::m_frame, GetFrameValue(outplug), type);
            break;
        case Value::Rgbo:
            store(&Value::m_rgbo, GetRgboValue(outplug), type);
            break;
        case Value::String:
            store(&Value::m_string, GetStringValue(outplug), type);
            break;
        case Value::Image:
        case Value::Texture: {
            Image* image = GetImageValue(outplug);
            store(&Value::m_image, image, image ? type : Value::None);
            break;
        }
        case Value::Curve: {
            std::vector<BezierSpline*>* curves = GetCurveValue(outplug);
            store(&Value::m_curves, curves, curves ? type : Value::None);
            break;
        }
        case Value::Material: {
            Material* material = GetMaterialValue(outplug);
            store(&Value::m_material, material, material ? type : Value::None);
            break;
        }
    }
}

Node::State Node::GetState() const {
    State state = 0;
    for (const Outplug& outplug : m_outplugs) {
        state = std::max(state, outplug.m_state);
    }
    return state;
}

Node::State Node::GetState(uint32_t outplug) const {
    return outplug < m_outplugs.size() ? m_outplugs[outplug].m_state : 0;
}

const std::string& Node::GetStateMessage(uint32_t outplug) const {
    return outplug < m_outplugs.size() ? m_outplugs[outplug].m_message : kEmptyString;
}

std::string Node::GetStateMessage() const {
    const State state = GetState();
    if (state == 0) {
        return {};
    }
    for (const Outplug& outplug : m_outplugs) {
        if (outplug.m_state == state) {
            return outplug.m_message;
        }
    }
    return {};
}

void Node::SetState(uint32_t outplug, State state, const std::string& message) {
    if (outplug < m_outplugs.size()) {
        Outplug& plug = m_outplugs[outplug];
        plug.m_state = state;
        plug.m_message = message;
        if (state == 0) {
            plug.m_reports.clear();
        } else {
            plug.m_reports.push_back({state, message});
        }
    }
}

const std::vector<Node::StateReport>& Node::GetStateReports(uint32_t outplug) const {
    static const std::vector<StateReport> kNoReports;
    return outplug < m_outplugs.size() ? m_outplugs[outplug].m_reports : kNoReports;
}

void Node::SetDirtyAllOutplugs() {
    DirtyDownstream();
}

bool Node::IsOutplugDirty(uint32_t outplug) const {
    return outplug >= m_outplugs.size() || m_outplugs[outplug].m_dirty;
}

void Node::DirtyDownstream() {
    if (IsFullyDirty()) {
        return;
    }
    // Explicit stack: chains may be far deeper than the call stack allows.
    thread_local std::vector<Node*> pending;
    const size_t base = pending.size();
    pending.push_back(this);
    while (pending.size() > base) {
        Node* node = pending.back();
        pending.pop_back();
        // A chain is followed without the stack.
        while (node && !node->IsFullyDirty()) {
            for (Outplug& outplug : node->m_outplugs) {
                outplug.m_dirty = true;
            }
            node->m_num_dirty = uint32_t(node->m_outplugs.size());
            Node* next = nullptr;
            for (const Connection& connection : node->m_outgoing) {
                if (connection.m_target->IsFullyDirty()) {
                    continue;
                }
                if (next) {
                    pending.push_back(next);
                }
                next = connection.m_target;
            }
            node = next;
        }
    }
}

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

// ---- Events and listeners ----

void Node::PostEvent(uint32_t type, uint32_t parameter) {
    Update::Get()->Post(this, type, parameter);
}

bool Node::ProcessEvent(uint32_t type, uint32_t parameter) {
    return DeliverEvent({Update::Get()->TakeSequence(), type, parameter});
}

bool Node::DeliverEvent(const NodeEvent& event) {
    const bool result = OnProcessEvent(event);
    if (event.m_type == kEventReleaseImages) {
        // The stored pointers may name objects the node just let go of.
        for (uint32_t k = 0; k < m_outplugs.size(); ++k) {
            if (IsPointerType(m_outplugs[k].m_type)) {
                StoreOutplugValue(k);
            }
        }
        DirtyDownstream();
    }
    return result;
}

void Node::AddNodeListener(NodeListener* listener) {
    if (listener &&
        std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) {
        m_listeners.push_back(listener);
    }
}

void Node::RemoveNodeListener(NodeListener* listener) {
    auto found = std::find(m_listeners.begin(), m_listeners.end(), listener);
    if (found != m_listeners.end()) {
        m_listeners.erase(found);
    }
}

// ---- Identity ----

void Node::SetName(const std::string& name) {
    if (name != m_name) {
        m_name = name;
        PostEvent(kEventNameChanged, 0);
    }
}

Attribute* Node::GetAttribute(const std::string& name) const {
    for (const RefPtr<Attribute>& attribute : m_attributes) {
        if (attribute && attribute->GetName() == name) {
            return attribute.Get();
        }
    }
    return nullptr;
}

void Node::SetActive(bool active) {
    m_active = active ? 1 : 0;
    DirtyDownstream();
}
