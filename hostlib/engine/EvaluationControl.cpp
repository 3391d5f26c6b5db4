#include "host/EvaluationControl.h"

#include <time.h>

#include <utility>

namespace {

thread_local EvaluationControl* t_current = nullptr;

// Poll runs after every step of an evaluation: the coarse clock (a few milliseconds' resolution,
// the same clock as steady_clock) is read without asking the hardware.
std::chrono::steady_clock::time_point CoarseNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
}

}  // namespace

EvaluationControl::EvaluationControl() : m_previous(t_current) {
    t_current = this;
}

EvaluationControl::~EvaluationControl() {
    t_current = m_previous;
}

EvaluationControl* EvaluationControl::Current() {
    return t_current;
}

void EvaluationControl::SetTick(std::chrono::milliseconds interval, Tick tick) {
    m_interval = interval;
    m_tick = std::move(tick);
    m_last_tick = CoarseNow();
}

bool EvaluationControl::Poll() {
    if (m_tick && !IsStopRequested()) {
        const auto now = CoarseNow();
        if (now - m_last_tick >= m_interval) {
            m_last_tick = now;
            m_tick(*this);
        }
    }
    return IsStopRequested();
}
