#include "programs/quillmar/ProgressLine.h"

#include <cmath>
#include <cstdio>

#include "host/EvaluationControl.h"

namespace {

std::string Duration(double seconds) {
    const long total = std::lround(seconds);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof(text), "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof(text), "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

}  // namespace

void ProgressLine::Show(const std::string& label, const EvaluationControl& control,
                        std::chrono::steady_clock::time_point started) {
    using Seconds = std::chrono::duration<double>;
    const auto now = std::chrono::steady_clock::now();
    std::string text = label;
    const auto& levels = control.GetRuns();
    if (levels.empty()) {
        text += ": " + Duration(Seconds(now - started).count());
    } else {
        const EvaluationControl::Runs& outer = levels.front();
        const double elapsed = Seconds(now - control.GetRunsStart()).count();
        const double rate = elapsed > 0.0 ? double(outer.m_done) / elapsed : 0.0;
        char numbers[160];
        // Whole percent rounded down: 100% only once every run is done.
        const long long percent = outer.m_asked > 0 ? 100 * outer.m_done / outer.m_asked : 0;
        std::snprintf(numbers, sizeof(numbers), ": %lld/%lld runs (%lld%%) %.1f runs/s",
                      static_cast<long long>(outer.m_done), static_cast<long long>(outer.m_asked),
                      percent, rate);
        text += numbers;
        text += rate > 0.0 ? ", " + Duration(double(outer.m_asked - outer.m_done) / rate) + " left"
                           : std::string(", time left unknown");
        for (size_t level = 1; level < levels.size(); ++level) {
            text += " > " + std::to_string(levels[level].m_done) + "/" +
                    std::to_string(levels[level].m_asked);
        }
    }
    m_out << '\r' << text << "\033[K" << std::flush;
    m_shown = true;
}

void ProgressLine::Clear() {
    if (m_shown) {
        m_out << "\r\033[K" << std::flush;
        m_shown = false;
    }
}
