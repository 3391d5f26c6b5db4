#include "host/EvaluationRuns.h"

#include <chrono>

#include "host/EvaluationControl.h"

EvaluationRuns::EvaluationRuns(int64_t asked) : m_control(EvaluationControl::Current()) {
    if (m_control) {
        m_level = m_control->m_runs.size();
        if (m_level == 0) {
            m_control->m_runs_start = std::chrono::steady_clock::now();
        }
        m_control->m_runs.push_back({0, asked});
    }
}

EvaluationRuns::~EvaluationRuns() {
    if (m_control) {
        m_control->m_runs.resize(m_level);
    }
}

bool EvaluationRuns::Continue() {
    return !m_control || !m_control->Poll();
}

void EvaluationRuns::RunDone() {
    if (m_control) {
        ++m_control->m_runs[m_level].m_done;
    }
}
