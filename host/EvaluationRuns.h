#pragma once

#include <cstddef>
#include <cstdint>

#include "host/HostExport.h"

class EvaluationControl;

// How a node that runs something repeatedly (a graph run per iteration) reports to the thread's
// EvaluationControl, if there is one: made before the first run with the count asked, told after
// each run, and asked before each run whether to go on. Without a control it costs a null check.
class QM_HOST_API EvaluationRuns {
public:
    explicit EvaluationRuns(int64_t asked);
    ~EvaluationRuns();
    EvaluationRuns(const EvaluationRuns&) = delete;
    EvaluationRuns& operator=(const EvaluationRuns&) = delete;

    // False when the evaluation is to stop before the next run.
    bool Continue();
    void RunDone();

private:
    EvaluationControl* m_control;
    size_t m_level = 0;
};
