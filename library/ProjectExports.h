#pragma once

#include <cstdint>

#include "library/ProjectExport.h"

class LibraryInterface;
class NodeInterface;

// The three entry points the host looks up. Every call returns newly allocated objects that the
// caller owns; nothing is cached or shared between calls.

// A ProjectLibraryInterface. It has no virtual destructor; the host keeps it and never deletes it.
QM_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface();
// The number of published node types (10). Three more types exist but are never published.
QM_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces();
// The interface of the published type at `index`, holding a new factory; null for an index above 9.
QM_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t index);
