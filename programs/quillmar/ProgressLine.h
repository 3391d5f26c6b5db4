#pragma once

#include <chrono>
#include <ostream>
#include <string>

class EvaluationControl;

// One line of progress on a terminal, rewritten in place: the runs of the outermost repeating node
// done out of those asked, their rate and the time left, and the runs of nested ones.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& out) : m_out(out) {}

    // `label` says what is being evaluated; `started` is when its evaluation began.
    void Show(const std::string& label, const EvaluationControl& control,
              std::chrono::steady_clock::time_point started);
    // Removes the line, if one is shown.
    void Clear();

private:
    std::ostream& m_out;
    bool m_shown = false;
};
