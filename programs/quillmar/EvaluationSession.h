#pragma once

#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "programs/quillmar/ProgressLine.h"

class Node;

// How `run` and `render` keep long work under control: --progress, --quiet and --timeout, SIGINT
// and SIGTERM stop the evaluation between its steps, and a progress line goes to standard error
// when it is a terminal.
class EvaluationSession {
public:
    static constexpr int kExitTimeout = 124;

    EvaluationSession() : m_line(std::cerr) {}

    void AddOptions(CLI::App& command);
    // From here on a signal stops the command instead of ending the process.
    void Begin(const std::string& prefix);

    // Evaluates the outplug and what it needs; false when it was stopped, leaving the outplug
    // dirty. `label` names it on the progress line.
    bool Evaluate(Node* node, uint32_t outplug, const std::string& label);
    // A signal arrived or the time ran out.
    bool IsStopped();
    // Says in one line why the command stopped and what it left (`outcome`), and returns its exit
    // code: 130 SIGINT, 143 SIGTERM, 124 the timeout.
    int ReportStop(const std::string& outcome);

private:
    bool TimedOut() const;

    std::string m_prefix;
    double m_timeout = 0.0;
    bool m_force_progress = false;
    bool m_quiet = false;
    bool m_show_progress = false;
    std::chrono::steady_clock::time_point m_start;
    ProgressLine m_line;
};
