#pragma once

#include <cstdint>

// Event types the host sends to nodes. The parameter's meaning depends on the type.
enum NodeEventType : uint32_t {
    kEventAttributeChanged = 1,   // parameter: attribute id
    kEventConnectionChanged = 2,  // parameter: inplug id
    kEventAttributeDeleted = 3,   // parameter: index the attribute had
    kEventNameChanged = 4,        // parameter: 0
    kEventInplugChanged = 5,      // parameter: inplug id whose value or source changed
    kEventPlugsChanged = 6,       // parameter: 0; the plug lists were rebuilt
    kEventReleaseImages = 11,     // parameter: 0; let go of held images and materials
    kEventAttributeAdded = 12,    // parameter: index of the new attribute
};

// The host's event record, passed by value.
struct NodeEvent {
    uint64_t m_sequence = 0;  // order in which the host queued the event
    uint32_t m_type = 0;
    uint32_t m_parameter = 0;
};
