#pragma once

// Marks the plug-in's entry points: plain C names, visible to the host's dlsym. Everything else in
// the plug-in is hidden.
#define QM_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
