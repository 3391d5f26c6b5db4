#pragma once

#include <string>

#include <CLI/CLI.hpp>

// One sub-command of the quillmar program. The constructor adds the sub-command and its options to
// the program's parser; Run is called when the command line selected it.
class Command {
public:
    static constexpr int kExitSuccess = 0;
    static constexpr int kExitEvaluationError = 1;
    // A wrong command line or a file that could not be read.
    static constexpr int kExitBadInput = 2;

    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    bool IsSelected() const { return m_app->parsed(); }
    // Returns the program's exit code. Errors go to standard error.
    virtual int Run() = 0;

protected:
    Command(CLI::App& program, const std::string& name, const std::string& description)
        : m_app(program.add_subcommand(name, description)) {}

    CLI::App* m_app;
};
