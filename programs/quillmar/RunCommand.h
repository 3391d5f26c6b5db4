#pragma once

#include <string>
#include <vector>

#include <QJsonArray>

#include "host/Status.h"
#include "programs/quillmar/Command.h"
#include "programs/quillmar/EvaluationSession.h"
#include "programs/quillmar/OutputFiles.h"
#include "programs/quillmar/ProjectNode.h"

class Image;
class Node;

// `quillmar run PROJECT.qmr [--set NAME=VALUE]... [--input NAME=VALUE]... [-o DIR] [--json]`: runs
// the project as one Node Graph node of the open document, feeds its inputs from standard source
// nodes, evaluates every outplug and prints each output; image and material outputs are written
// as files into DIR.
class RunCommand : public Command {
public:
    explicit RunCommand(CLI::App& program);
    int Run() override;

private:
    // False, after saying so, when -o names something that is not a folder.
    bool CheckOutputFolder();
    // Each returns false after printing why the command line does not fit the project.
    bool ApplySettings();
    bool ApplyInputs();

    // False when a signal or the timeout stopped it.
    bool Evaluate();
    // Writes the outputs' files, fills m_outputs and m_states, and prints the text form.
    void CollectOutputs();
    QJsonValue CollectOutput(uint32_t outplug, std::string& text);
    // Writes one image as DIR/<stem>.<format>; returns the file's name as printed, or empty
    // after recording the failure in m_status.
    std::string WriteImage(const Image& image, const std::string& stem);

    std::string m_project;
    std::vector<std::string> m_settings;
    std::vector<std::string> m_inputs;
    std::string m_folder = ".";
    std::string m_format = "png";
    bool m_json = false;

    ProjectNode m_node;
    Status m_status;
    QJsonArray m_outputs;
    QJsonArray m_states;
    OutputFiles m_files;
    EvaluationSession m_session;
};
