#include "host/EvaluationControl.h"

#include <utility>

namespace {

thread_local EvaluationControl* t_current = nullptr;

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
    m_last_tick = std::chrono::steady_clock::now();
}

bool EvaluationControl::Poll() {
    if (m_tick && !IsStopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last_tick >= m_interval) {
            m_last_tick = now;
            m_tick(*this);
        }
    }
    return IsStopRequested();
}
