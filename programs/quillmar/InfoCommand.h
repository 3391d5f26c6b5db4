#pragma once

#include <string>

#include "programs/quillmar/Command.h"

// `quillmar info PROJECT.qmr [--json]`: the interface the project gives a Node Graph node: its
// inputs and outputs (name, type, loop action) and its attributes (name, type, value, range or
// choices), in plug and attribute order.
class InfoCommand : public Command {
public:
    explicit InfoCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_project;
    bool m_json = false;
};
