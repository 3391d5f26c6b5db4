#pragma once

#include <string>

#include "programs/quillmar/Command.h"

// `quillmar unpack FILE.qmr -o DIR [--force]`: takes a project file apart into DIR (created when
// needed). The archive is unpacked into a temporary folder first and copied only when all of it
// unpacked, so a refused archive leaves DIR untouched; existing files are kept unless forced.
class UnpackCommand : public Command {
public:
    explicit UnpackCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_container;
    std::string m_output;
    bool m_force = false;
};
