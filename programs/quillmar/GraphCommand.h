#pragma once

#include <string>

#include "programs/quillmar/Command.h"

// `quillmar graph PROJECT.qmr -o FILE.svg|FILE.png`: draws the project's graph (every node with
// its name and type, inputs and outputs marked, the connections) laid out by Graphviz, into the
// one file named. Exits 2 when the project cannot be read or the file cannot be written.
class GraphCommand : public Command {
public:
    explicit GraphCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_project;
    std::string m_output;
};
