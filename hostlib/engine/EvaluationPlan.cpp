#include "host/EvaluationPlan.h"

void EvaluationPlan::Clear() {
    m_steps.clear();
    m_targets.clear();
    m_replaced.clear();
    m_recorded = false;
    m_replayed = false;
}
