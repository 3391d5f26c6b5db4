#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "host/Attribute.h"
#include "host/Frame.h"
#include "host/HostExport.h"
#include "host/NodeEvent.h"
#include "host/NodeType.h"
#include "host/Point.h"
#include "host/RefCounter.h"
#include "host/RefPtr.h"
#include "host/Rgbo.h"
#include "host/Status.h"

class BezierSpline;
class Image;
class Material;
class NodeGraph;
class NodeListener;

// A node of a graph. A node type derives from Node (or DynamicNode), fills m_attributes,
// m_inplug_declarations and m_outplug_declarations in its constructor and then calls
// UpdateInplugsAndOutplugs. The host evaluates it through EvaluateOutplug and reads the result with
// the typed getter of the outplug's value type.
//
// Inplug numbering: one inplug per attribute first (inplug id = attribute id), then the regular
// inputs in declaration order. A declaration with the expanding flag set stands for as many inputs
// as are connected plus one free input.
//
// Everything runs on the GUI thread except LockValue/ReleaseValue. They guard images, curves,
// materials and strings with a reader-writer lock that the evaluator takes for writing while it
// stores a result; booleans, numbers, points, frames and colours are stored without it, and
// LockValue copies them again whenever a store overlapped the copy.
class QM_HOST_API Node : public RefCounter {
public:
    using State = uint32_t;

    // What one plug carries during evaluation: a type tag and one member per type. Images, curve
    // lists and materials are borrowed from the node that produced them.
    struct QM_HOST_API Value {
        enum Type : uint32_t {
            None = 0,
            Boolean = 1,
            Number = 2,
            Point = 3,
            Frame = 4,
            Rgbo = 5,
            String = 6,
            Image = 8,
            Texture = 9,
            Curve = 10,
            Material = 11,
        };

        Value() = default;
        explicit Value(Node* owner) : m_owner(owner) {}
        // A copy carries the data, never the lock.
        Value(const Value& other);
        Value& operator=(const Value& other);
        Value(Value&& other) noexcept;
        Value& operator=(Value&& other) noexcept;
        // Releases the shared lock when LockValue's lock is still held.
        ~Value();

        bool IsEmpty() const { return m_type == None; }
        // Back to None, keeping the owner; releases nothing.
        void Clear();

        Type m_type = None;
        Node* m_owner = nullptr;
        bool m_boolean = false;
        double m_number = 0.0;
        ::Point m_point;
        ::Frame m_frame;
        ::Rgbo m_rgbo;
        std::string m_string;
        ::Image* m_image = nullptr;
        std::vector<BezierSpline*>* m_curves = nullptr;
        ::Material* m_material = nullptr;

    private:
        friend class Node;
        Node* m_locked_node = nullptr;
    };

    struct InplugDeclaration {
        uint32_t m_id = 0;
        Value::Type m_type = Value::None;
        std::string m_name;
        uint64_t m_reserved = 0;
        // Expanding input: as many inputs of this name as are connected, plus one free one.
        uint8_t m_expanding = 0;
    };

    struct OutplugDeclaration {
        uint32_t m_id = 0;
        Value::Type m_type = Value::None;
        std::string m_name;
        uint64_t m_reserved = 0;
    };

    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Value type of an attribute's inplug (and of a DynamicNode's outplug): BOOLEAN boolean,
    // NUMBER number, POINT point, FRAME frame, RGBO rgbo, CHOICE and STRING string.
    static Value::Type AttributeValueType(Attribute::Type type);

    Node();
    // Disconnects the node from everything and drops its queued events.
    ~Node() override;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // ---- Virtual operations, in the host's declaration order ----

    // Called on a new node to make it a copy of source (same type). Base does nothing.
    virtual void CopyFrom(Node* source);
    virtual NodeType GetNodeType() const = 0;
    virtual std::string GetTypeName() const = 0;
    virtual uint32_t GetVersion() const;
    // Makes the node stand for a node type defined by a project file. Base does nothing.
    virtual void InitFromProject(const std::string& name, const NodeType& type,
                                 const std::string& path);
    // Base: the plug's name.
    virtual std::string GetInplugAlias(uint32_t inplug) const;
    virtual bool GetInplugVisibility(uint32_t inplug) const;
    virtual std::string GetOutplugAlias(uint32_t outplug) const;
    virtual bool GetOutplugVisibility(uint32_t outplug) const;
    // Base: every inplug affects every outplug. The evaluator only computes the inplugs that
    // affect the outplug it needs.
    virtual bool InplugAffectsOutplug(uint32_t inplug, uint32_t outplug) const;
    // A saved record the reader could not apply directly (kind 1: a value of an attribute the node
    // does not have yet: name, type word, value text, ""). Base returns false: record dropped.
    virtual bool StoreRecord(int kind, const char* a, const char* b, const char* c, const char* d);
    // Plug names and indices of version-0 files. Base: the current names.
    virtual std::string V0GetOutplugName(uint32_t index) const;
    virtual uint32_t V0GetOutplugIndex(const std::string& name) const;
    virtual std::string V0GetInplugName(uint32_t index) const;
    virtual uint32_t V0GetInplugIndex(const std::string& name) const;
    // Base: event 5 marks the node and everything downstream dirty; every event is passed to the
    // node listeners. Returns true. Overrides that skip the base skip the listeners too.
    virtual bool OnProcessEvent(NodeEvent event);
    virtual size_t GetNumAttributes() const;
    // Null when the index is out of range.
    virtual Attribute* GetAttributeByIndex(size_t index) const;
    virtual uint32_t GetNumFileReferences() const;
    virtual uint32_t GetNumDirectoryReferences() const;
    virtual std::string GetFileReference(uint32_t index) const;
    virtual void SetFileReference(uint32_t index, const std::string& path);
    // Reads the file at `path` into the node as file reference `index`, the way the node's own
    // panel does when the user picks a file, and reports the outcome (the node decides what a
    // failure leaves behind). Lets programs without the panel load a file and see the message.
    // Base: code 2, "This node reads no files.".
    virtual Status ReadFileReference(uint32_t index, const std::string& path);
    // Computes outplug `outplug`. inplug_values has one entry per inplug, never null: an
    // unconnected regular inplug gives an empty value, an unconnected attribute inplug the
    // attribute's value.
    virtual void EvaluateOutplug(uint32_t outplug,
                                 const std::vector<const Value*>& inplug_values) = 0;
    virtual bool GetBooleanValue(uint32_t outplug);
    virtual double GetNumberValue(uint32_t outplug);
    virtual Point GetPointValue(uint32_t outplug);
    virtual Frame GetFrameValue(uint32_t outplug);
    virtual Rgbo GetRgboValue(uint32_t outplug);
    virtual Image* GetImageValue(uint32_t outplug);
    virtual Material* GetMaterialValue(uint32_t outplug);
    virtual std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug);
    virtual std::string GetStringValue(uint32_t outplug);
    // Writes side files next to base_path and returns their names. Base: none.
    virtual std::vector<std::string> SaveDefinitions(const std::string& base_path);
    // Reads the side files SaveDefinitions wrote. Base returns false.
    virtual bool LoadDefinitions(const std::vector<std::string>& files);
    virtual Status PreLoad();
    virtual Status PostLoad(uint32_t version);
    virtual Status PostConnect(const std::vector<Node*>& nodes);

    // ---- Plugs ----

    // Rebuilds the plug lists from the attributes and the two declaration lists. Connections of
    // plugs that still exist (same attribute, or same declaration, name and type) are kept, the
    // others are removed. Must be the last step of every constructor. A rebuild after the first
    // dirties the node and downstream and posts kEventPlugsChanged.
    void UpdateInplugsAndOutplugs();
    uint32_t GetInplugIdFromAttributeId(uint32_t attribute_id) const;
    uint32_t GetInplugIdFromRegularInputId(uint32_t input) const;

    uint32_t GetNumInplugs() const;
    uint32_t GetNumOutplugs() const;
    const std::string& GetInplugName(uint32_t inplug) const;
    const std::string& GetOutplugName(uint32_t outplug) const;
    Value::Type GetInplugValueType(uint32_t inplug) const;
    Value::Type GetOutplugValueType(uint32_t outplug) const;
    // First plug of that name, or kNone.
    uint32_t FindInplug(const std::string& name, uint32_t index = 0) const;
    uint32_t FindOutplug(const std::string& name, uint32_t index = 0) const;

    // ---- Connections ----

    // Source of an inplug, or null.
    Node* GetInplugNode(uint32_t inplug) const;
    uint32_t GetInplugNodeOutplug(uint32_t inplug) const;
    // Number of connected inplugs.
    uint32_t GetNumConnectedToInplug() const;
    // Outgoing connections, all outplugs together, in the order they were made.
    uint32_t GetNumConnectedToOutplug() const;
    uint32_t GetNumConnectedToOutplug(uint32_t outplug) const;
    Node* GetOutplugConnectionNode(uint32_t connection) const;
    uint32_t GetOutplugConnectionOutplugId(uint32_t connection) const;
    uint32_t GetOuplugConnectionNodeInplugId(uint32_t connection) const;

    // ---- Values, states, dirtiness ----

    // The stored value of an outplug under a shared lock; the lock is released by ReleaseValue or
    // when the returned value is destroyed. An empty value (no lock) for an invalid outplug. The
    // evaluator waits for the readers before it stores a new image, curve list, material or
    // string, so a lock must not be held across an evaluation of the same node on the same thread.
    Value LockValue(uint32_t outplug);
    // Releases the lock the value holds, if any (whichever node it came from).
    void ReleaseValue(Value& value);
    // Shared locks currently held on this node's values (0 when every LockValue was released).
    uint32_t GetNumValueLocks() const;

    // One error state set on an outplug.
    struct StateReport {
        State m_state = 0;
        std::string m_message;
    };

    // Node state: the highest state of its outplugs. 0 is fine, above 0 an error.
    State GetState() const;
    State GetState(uint32_t outplug) const;
    const std::string& GetStateMessage(uint32_t outplug) const;
    // Message of the first outplug with the node's state, or empty.
    std::string GetStateMessage() const;
    // The outplug's state and message become the given ones. A state above 0 is also added to the
    // outplug's reports; state 0 clears them.
    void SetState(uint32_t outplug, State state, const std::string& message);
    // Every state above 0 set on the outplug since its last evaluation began, in order (GetState
    // keeps only the last one). Empty for an invalid outplug.
    const std::vector<StateReport>& GetStateReports(uint32_t outplug) const;

    // Dirties the node and everything downstream.
    void SetDirtyAllOutplugs();
    // True for an invalid outplug.
    bool IsOutplugDirty(uint32_t outplug) const;

    // ---- Events and listeners ----

    // Queues an event for this node (see Update); it is processed by FlushEventsToProcess.
    void PostEvent(uint32_t type, uint32_t parameter);
    // Processes an event now through OnProcessEvent. After kEventReleaseImages the node's stored
    // image, material and curve values are re-read and the node and downstream are dirtied.
    bool ProcessEvent(uint32_t type, uint32_t parameter);
    void AddNodeListener(NodeListener* listener);
    void RemoveNodeListener(NodeListener* listener);

    // ---- Identity ----

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name);
    // First attribute of that name, or null.
    Attribute* GetAttribute(const std::string& name) const;
    bool IsActive() const { return m_active != 0; }
    void SetActive(bool active);
    // The graph that holds the node, or null.
    NodeGraph* GetGraph() const { return m_graph; }

protected:
    std::vector<RefPtr<Attribute>> m_attributes;
    std::vector<InplugDeclaration> m_inplug_declarations;
    std::vector<OutplugDeclaration> m_outplug_declarations;
    // Set by the host; nodes compute nothing while it is clear.
    uint8_t m_active = 1;

private:
    friend class Attribute;
    friend class DynamicNode;
    friend class Engine;
    friend class EvaluateNodeOutplugs;
    friend class NodeGraph;
    friend class Update;

    struct Inplug {
        std::string m_name;
        Value::Type m_type = Value::None;
        RefPtr<Attribute> m_attribute;   // attribute inplugs only
        uint32_t m_declaration = kNone;  // declaration index for regular inputs
        bool m_expanding = false;
        Node* m_source = nullptr;
        uint32_t m_source_outplug = 0;
        Value m_own_value;  // attribute inplugs: the attribute's value
    };
    struct Outplug {
        std::string m_name;
        Value::Type m_type = Value::None;
        uint32_t m_declaration = kNone;
        Value m_value;
        bool m_dirty = true;
        // Set while an evaluator computes this outplug; a request for it meanwhile is a cycle.
        bool m_in_progress = false;
        State m_state = 0;
        std::string m_message;
        // Empty, and so without an allocation, while nothing fails.
        std::vector<StateReport> m_reports;
    };
    struct Connection {
        uint32_t m_outplug = 0;
        Node* m_target = nullptr;
        uint32_t m_inplug = 0;
    };

    // Rewrites the attribute inplug's stored value and dirties downstream.
    void AttributeChanged(const Attribute& attribute, bool notify);
    // Marks every outplug of this node and of everything downstream dirty, stopping at nodes that
    // are dirty already. Invariant: every outplug computed from a dirty outplug is dirty.
    void DirtyDownstream();
    bool IsFullyDirty() const { return m_num_dirty == m_outplugs.size(); }
    // Stores the just computed value of `outplug` read through the typed getter, and re-reads the
    // borrowed pointers of the other outplugs (a node may replace all its objects at once).
    void StoreResults(uint32_t outplug);
    void StoreOutplugValue(uint32_t outplug);
    bool DeliverEvent(const NodeEvent& event);

    // Connection bookkeeping on both ends; no events, no dirtying.
    void AttachSource(uint32_t inplug, Node* from, uint32_t outplug);
    void DetachSource(uint32_t inplug);
    Connection* FindOutgoing(uint32_t outplug, const Node* target, uint32_t inplug);
    // Insert or erase an unconnected inplug, renumbering the connections of the later inplugs.
    void InsertInplug(uint32_t position, Inplug inplug);
    void EraseInplug(uint32_t position);
    // One past the last inplug of the expanding group that holds `inplug`.
    uint32_t ExpandingGroupEnd(uint32_t inplug) const;
    bool ExpandingGroupHasFreePlug(uint32_t inplug) const;

    void LockShared();
    void UnlockShared();
    void LockExclusive();
    void UnlockExclusive();

    std::string m_name;
    NodeGraph* m_graph = nullptr;
    std::vector<Inplug> m_inplugs;
    std::vector<Outplug> m_outplugs;
    std::vector<Connection> m_outgoing;
    std::vector<NodeListener*> m_listeners;
    std::vector<const Value*> m_inplug_values;  // reused by the evaluator
    uint32_t m_num_attribute_inplugs = 0;
    uint32_t m_num_dirty = 0;
    // Stands in for regular input 0 while an evaluator that replaced it lives.
    const Value* m_replacement = nullptr;
    uint32_t m_num_pending_events = 0;
    bool m_plugs_built = false;
    // Reader count, or -1 while the evaluator writes an outplug value that is not a scalar.
    std::atomic<int32_t> m_value_lock{0};
    // Odd while a scalar outplug value is being stored.
    std::atomic<uint32_t> m_value_sequence{0};
};
