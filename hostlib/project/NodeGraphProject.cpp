#include "host/NodeGraph.h"

#include "ProjectReader.h"
#include "ProjectWriter.h"

Status NodeGraph::ProjectRead(int minor, int major, TiXmlElement* root,
                              ProjectReadCallback callback) {
    return ProjectReader::Read(*this, minor, major, root, callback);
}

void NodeGraph::ReportReadProblem(const std::string& problem) {
    ProjectReader::ReportProblem(problem);
}

Status NodeGraph::ProjectWrite(const std::string& folder, std::vector<std::string>& files) const {
    return ProjectWriter::Write(*this, folder, files);
}
