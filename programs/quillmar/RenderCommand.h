#pragma once

#include <string>

#include "programs/quillmar/Command.h"
#include "programs/quillmar/EvaluationSession.h"

// `quillmar render DOCUMENT.qmr [-o DIR] [--allow-outside]`: reads a document into the open
// document (Node Graph nodes in it read their own projects), evaluates every active Writer node
// and writes its image to the Writer's path inside DIR; paths that lead outside DIR are refused
// unless --allow-outside.
class RenderCommand : public Command {
public:
    explicit RenderCommand(CLI::App& program);
    int Run() override;

private:
    std::string m_document;
    std::string m_folder = ".";
    bool m_allow_outside = false;
    EvaluationSession m_session;
};
