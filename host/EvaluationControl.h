#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/HostExport.h"

// Lets whoever starts an evaluation watch it and stop it. A control is current on its thread from
// construction to destruction (controls nest; the innermost is current), and every evaluation on
// that thread reports to it: the evaluator checks it between steps, a node that runs something
// repeatedly reports its runs through EvaluationRuns and checks it between runs.
//
// A stopped evaluation leaves the outplugs it was computing dirty, so their half results are never
// reused. The tick hook is where a program keeps its event loop or its progress line going: it is
// called from inside the evaluation, at most once per interval, and must not evaluate or edit the
// graph itself.
class QM_HOST_API EvaluationControl {
public:
    // Runs done out of runs asked, per nesting level of repeating nodes (level 0 outermost).
    struct Runs {
        int64_t m_done = 0;
        int64_t m_asked = 0;
    };
    using Tick = std::function<void(EvaluationControl&)>;

    EvaluationControl();
    ~EvaluationControl();
    EvaluationControl(const EvaluationControl&) = delete;
    EvaluationControl& operator=(const EvaluationControl&) = delete;

    // The control of this thread's innermost scope, or null.
    static EvaluationControl* Current();

    // Safe from any thread (not from a signal handler: set a flag there and stop from the tick).
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool IsStopRequested() const { return m_stop.load(std::memory_order_relaxed); }

    void SetTick(std::chrono::milliseconds interval, Tick tick);
    // Calls the tick hook when its interval has passed; true when the evaluation is to stop.
    bool Poll();

    // One entry per repeating node now running, outermost first.
    const std::vector<Runs>& GetRuns() const { return m_runs; }
    // When the outermost repeating node began (its rate and time left start there).
    std::chrono::steady_clock::time_point GetRunsStart() const { return m_runs_start; }

private:
    friend class EvaluationRuns;

    std::atomic<bool> m_stop{false};
    EvaluationControl* m_previous;
    std::chrono::steady_clock::duration m_interval{};
    std::chrono::steady_clock::time_point m_last_tick;
    std::chrono::steady_clock::time_point m_runs_start;
    Tick m_tick;
    std::vector<Runs> m_runs;
};
