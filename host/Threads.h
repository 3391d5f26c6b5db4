#pragma once

#include "host/HostExport.h"

// How many threads the host's image operations (kernels, standard image nodes, loop actions) may
// use. Work is split into blocks of whole rows or columns, so results are bit for bit the same
// whatever the limit. The evaluator and every node's own logic stay on the calling thread.
class QM_HOST_API Threads {
public:
    // Environment variable read on first use: a positive whole number; anything else (or unset)
    // means every core.
    static constexpr const char* kVariable = "QUILLMAR_THREADS";

    // Replaces the limit; 0 means every core. Call between operations, not during one.
    static void SetLimit(int threads);
    // The limit in force: set, from kVariable, or the number of cores.
    static int GetLimit();
};
