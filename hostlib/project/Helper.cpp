#include "host/Helper.h"

#include <boost/filesystem.hpp>

#include "host/Engine.h"
#include "host/Node.h"
#include "host/NodeGraph.h"

namespace fs = boost::filesystem;

std::string Helper::MakeProjectAbsolute(Node* node, const std::string& path) {
    const fs::path relative(path);
    if (relative.is_absolute()) {
        return path;
    }
    std::string project_file;
    if (node && node->GetGraph()) {
        project_file = node->GetGraph()->GetFilePath();
    }
    if (project_file.empty()) {
        if (const NodeGraph* document = Engine::Get()->GetDocument()) {
            project_file = document->GetFilePath();
        }
    }
    if (!project_file.empty()) {
        return (fs::path(project_file).parent_path() / relative).string();
    }
    // No project file anywhere: relative to the working directory, as an open would take it.
    boost::system::error_code code;
    const fs::path working_directory = fs::current_path(code);
    return code ? path : (working_directory / relative).string();
}

std::string Helper::GetWikiLink(const std::string& page, const std::string& title) {
    return "<a href=\"help:" + page + "\">" + title + "</a>";
}
