#include "programs/quillmar/GraphCommand.h"

#include <iostream>

#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"
#include "programs/graph/GraphPicture.h"
#include "programs/quillmar/StatusReport.h"

namespace {

constexpr const char* kPrefix = "quillmar graph: ";

}  // namespace

GraphCommand::GraphCommand(CLI::App& program)
    : Command(program, "graph", "Draw a project's graph into an SVG or PNG file") {
    m_app->add_option("PROJECT", m_project, "Project file to draw (.qmr)")->required();
    m_app->add_option("-o,--output", m_output, "The picture to write: FILE.svg or FILE.png")
        ->required();
}

int GraphCommand::Run() {
    PluginLoader& loader = PluginLoader::Get();
    loader.LoadDefault();
    for (const std::string& error : loader.GetErrors()) {
        std::cerr << kPrefix << error << '\n';
    }
    RefPtr<NodeGraph> graph(new NodeGraph);
    const Status read = ProjectFile::Read(m_project, *graph);
    if (read.GetCode() >= int(StatusCode::Error)) {
        StatusReport::PrintReadFailure(std::cerr, kPrefix, m_project, read);
        return kExitBadInput;
    }
    if (!read.IsOk()) {
        std::cerr << kPrefix << m_project << ": warnings:\n" << read.GetFullMessage() << '\n';
    }
    GraphPicture picture;
    Status status = picture.Build(*graph);
    if (status.IsOk()) {
        status = picture.Write(m_output);
    }
    if (!status.IsOk()) {
        std::cerr << kPrefix << status.GetFullMessage() << '\n';
        return kExitBadInput;
    }
    std::cout << "Wrote " << m_output << '\n';
    return kExitSuccess;
}
