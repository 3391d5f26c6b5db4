#pragma once

#include <string>

#include "programs/quillmar/Command.h"

// `quillmar pack DIR -o FILE.qmr`: puts every regular file under DIR into a project file, so that
// authors can write Project.xml and its side files by hand. DIR must hold Project.xml at its top.
class PackCommand : public Command {
public:
    explicit PackCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_folder;
    std::string m_output;
};
