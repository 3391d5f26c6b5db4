#include "programs/quillmar/StopSignals.h"

#include <signal.h>

namespace {

volatile sig_atomic_t g_received = 0;

void OnSignal(int signal_number) {
    if (g_received != 0) {
        signal(signal_number, SIG_DFL);
        raise(signal_number);
        return;
    }
    g_received = signal_number;
}

}  // namespace

void StopSignals::Install() {
    struct sigaction action = {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes in progress go on; the evaluation checks between its steps.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignals::Received() {
    return g_received;
}
