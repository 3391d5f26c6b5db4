#pragma once

// SIGINT and SIGTERM as a request to stop: the handler only records the signal, and the program
// stops at its next check, cleaning up as on any other way out. A second signal ends the process
// at once, as it would have without the handler.
class StopSignals {
public:
    static void Install();
    // The first signal received, or 0.
    static int Received();
};
