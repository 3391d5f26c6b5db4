#pragma once

// The three entry points of a plug-in: C linkage, visible although the module hides the rest.
#define QM_TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
