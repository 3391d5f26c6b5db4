#pragma once

#include <string>

#include "programs/quillmar/Command.h"

// `quillmar check PROJECT.qmr [--strict] [--json]`: reads the project as `run` does, without
// running it, and prints the read's status and every warning. Exits 2 when the project cannot be
// read and, under --strict, 1 when the read gave any warning.
class CheckCommand : public Command {
public:
    explicit CheckCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_project;
    bool m_strict = false;
    bool m_json = false;
};
