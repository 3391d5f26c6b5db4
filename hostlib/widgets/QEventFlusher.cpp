#include "host/QEventFlusher.h"

#include <QCoreApplication>
#include <QTimer>

#include "host/Update.h"

namespace {
bool g_flush_scheduled = false;
}  // namespace

void QEventFlusher::Schedule() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || g_flush_scheduled) {
        return;
    }
    g_flush_scheduled = true;
    QTimer::singleShot(0, application, [] {
        // Cleared first: a listener that edits a node during the flush schedules the next one.
        g_flush_scheduled = false;
        Update::Get()->FlushEventsToProcess();
    });
}
