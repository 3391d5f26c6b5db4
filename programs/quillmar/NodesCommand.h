#pragma once

#include "programs/quillmar/Command.h"

// `quillmar nodes [--json]`: loads the plug-ins and lists every registered node type in
// registration order. Plug-in load errors are reported but fail the command only when no type at
// all could be listed.
class NodesCommand : public Command {
public:
    explicit NodesCommand(CLI::App& program);
    int Run() override;

private:
    bool m_json = false;
};
