#pragma once

#include "host/HostExport.h"

// Delivers the host's queued node events (Update::FlushEventsToProcess) from the GUI event loop.
// Widgets call Schedule after they change a node; several calls before the loop runs give one
// flush. Without a running QCoreApplication nothing is scheduled and the caller flushes itself.
class QM_HOST_API QEventFlusher {
public:
    static void Schedule();
};
