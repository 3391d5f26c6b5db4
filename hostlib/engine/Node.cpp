#include "host/Node.h"

#include <algorithm>
#include <atomic>
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

bool IsScalarType(Node::Value::Type type) {
    return type == Node::Value::Boolean || type == Node::Value::Number ||
           type == Node::Value::Point || type == Node::Value::Frame || type == Node::Value::Rgbo;
}

// Scalar values are published word by word with release stores and read with acquire loads
// between two reads of the node's value sequence (see LockValue).
template <typename T>
void Publish(T& to, T from) {
    std::atomic_ref<T>(to).store(from, std::memory_order_release);
}

void Publish(Point& to, const Point& from) {
    Publish(to.x, from.x);
    Publish(to.y, from.y);
}

void Publish(Frame& to, const Frame& from) {
    Publish(to.x, from.x);
    Publish(to.y, from.y);
    Publish(to.width, from.width);
    Publish(to.height, from.height);
}

void Publish(Rgbo& to, const Rgbo& from) {
    Publish(to.r, from.r);
    Publish(to.g, from.g);
    Publish(to.b, from.b);
    Publish(to.o, from.o);
}

template <typename T>
T Observe(T& from) {
    return std::atomic_ref<T>(from).load(std::memory_order_acquire);
}

Point Observe(Point& from) {
    return {Observe(from.x), Observe(from.y)};
}

Frame Observe(Frame& from) {
    return {Observe(from.x), Observe(from.y), Observe(from.width), Observe(from.height)};
}

Rgbo Observe(Rgbo& from) {
    return {Observe(from.r), Observe(from.g), Observe(from.b), Observe(from.o)};
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
    // A plan may name this node: another may take its address.
    Engine::Get()->NoteStructureChange();
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
    Value& stored = m_outplugs[outplug].m_value;
    const Value::Type type = m_outplugs[outplug].m_type;
    if (!IsScalarType(type)) {
        Value value(stored);
        value.m_locked_node = this;
        return value;
    }
    // Only the type and the member of the outplug's own type are ever stored (and without the
    // lock): the copy is taken again until no store began or ended while it was read.
    Value value(stored.m_owner);
    for (;;) {
        const uint32_t sequence = m_value_sequence.load(std::memory_order_acquire);
        if (sequence % 2 != 0) {
            std::this_thread::yield();
            continue;
        }
        value.m_type = Observe(stored.m_type);
        switch (type) {
            case Value::Boolean:
                value.m_boolean = Observe(stored.m_boolean);
                break;
            case Value::Number:
                value.m_number = Observe(stored.m_number);
                break;
            case Value::Point:
                value.m_point = Observe(stored.m_point);
                break;
            case Value::Frame:
                value.m_frame = Observe(stored.m_frame);
                break;
            default:  // Rgbo
                value.m_rgbo = Observe(stored.m_rgbo);
                break;
        }
        if (m_value_sequence.load(std::memory_order_relaxed) == sequence) {
            break;
        }
    }
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
    // The getter runs before the value is written: it is the node's code and may lock values
    // itself. Only the member of the outplug's type is written, so a run stores a few words, not a
    // Value. Stored values never hold a lock: only the copies LockValue hands out do.
    const auto store = [this, outplug](auto member, auto data, Value::Type type) {
        LockExclusive();
        Value& stored = m_outplugs[outplug].m_value;
        stored.*member = std::move(data);
        stored.m_type = type;
        stored.m_owner = this;
        UnlockExclusive();
    };
    // Scalars need no lock: readers copy them, and retry while the sequence is odd or moved.
    const auto publish = [this, outplug](auto member, const auto& data, Value::Type type) {
        Value& stored = m_outplugs[outplug].m_value;
        const uint32_t sequence = m_value_sequence.load(std::memory_order_relaxed);
        m_value_sequence.store(sequence + 1, std::memory_order_relaxed);
        // Release stores: a reader that loads any of them also sees the odd sequence.
        Publish(stored.*member, data);
        Publish(stored.m_type, type);
        m_value_sequence.store(sequence + 2, std::memory_order_release);
    };
    const Value::Type type = m_outplugs[outplug].m_type;
    switch (type) {
        case Value::None:
            store(&Value::m_type, Value::None, Value::None);
            break;
        case Value::Boolean:
            publish(&Value::m_boolean, GetBooleanValue(outplug), type);
            break;
        case Value::Number:
            publish(&Value::m_number, GetNumberValue(outplug), type);
            break;
        case Value::Point:
            publish(&Value::m_point, GetPointValue(outplug), type);
            break;
        case Value::Frame:
            publish(&Value::m_frame, GetFrameValue(outplug), type);
            break;
        case Value::Rgbo:
            publish(&Value::m_rgbo, GetRgboValue(outplug), type);
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
