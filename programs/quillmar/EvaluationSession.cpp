#include "programs/quillmar/EvaluationSession.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>

#include "host/EvaluateNodeOutplugs.h"
#include "host/EvaluationControl.h"
#include "programs/quillmar/StopSignals.h"

namespace {

// Often enough for a prompt stop and a smooth line, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kTickInterval(50);

}  // namespace

void EvaluationSession::AddOptions(CLI::App& command) {
    CLI::Option* progress =
        command.add_flag("--progress", m_force_progress,
                         "Show the progress line on standard error even when it is not a terminal");
    command.add_flag("--quiet", m_quiet, "Show no progress line, even on a terminal")
        ->excludes(progress);
    command
        .add_option("--timeout", m_timeout,
                    "Stop the evaluation after this many seconds (exit code 124)")
        ->type_name("SECONDS")
        ->check(CLI::Validator(
            [](std::string& text) {
                double seconds = 0.0;
                const char* end = text.data() + text.size();
                const auto [last, error] = std::from_chars(text.data(), end, seconds);
                return error == std::errc() && last == end && seconds > 0.0 &&
                               std::isfinite(seconds)
                           ? std::string()
                           : "expected a number of seconds above 0, not " + text;
            },
            ""));
}

void EvaluationSession::Begin(const std::string& prefix) {
    m_prefix = prefix;
    m_start = std::chrono::steady_clock::now();
    m_show_progress = !m_quiet && (m_force_progress || isatty(fileno(stderr)));
    StopSignals::Install();
}

bool EvaluationSession::Evaluate(Node* node, uint32_t outplug, const std::string& label) {
    if (IsStopped()) {
        return false;
    }
    EvaluationControl control;
    const auto started = std::chrono::steady_clock::now();
    control.SetTick(kTickInterval, [&](EvaluationControl& current) {
        if (IsStopped()) {
            current.RequestStop();
        } else if (m_show_progress) {
            m_line.Show(m_prefix + label, current, started);
        }
    });
    EvaluateNodeOutplugs({{node, outplug, false}}).EvaluateAll();
    m_line.Clear();
    return !control.IsStopRequested() && !IsStopped();
}

bool EvaluationSession::IsStopped() {
    return StopSignals::Received() != 0 || TimedOut();
}

bool EvaluationSession::TimedOut() const {
    return m_timeout > 0.0 &&
           std::chrono::steady_clock::now() - m_start >= std::chrono::duration<double>(m_timeout);
}

int EvaluationSession::ReportStop(const std::string& outcome) {
    m_line.Clear();
    const int signal_number = StopSignals::Received();
    if (signal_number != 0) {
        std::cerr << m_prefix << "stopped by " << (signal_number == SIGINT ? "SIGINT" : "SIGTERM")
                  << "; " << outcome << '\n';
        return 128 + signal_number;
    }
    std::cerr << m_prefix << "stopped after the --timeout of " << m_timeout << " s; " << outcome
              << '\n';
    return kExitTimeout;
}
