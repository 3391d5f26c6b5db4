#pragma once

#include <string>
#include <vector>

#include <QJsonArray>

class ProjectNode;

// The interface a project gives a Node Graph node, as `quillmar info` reports it: its inputs and
// outputs (name, type, loop action) and its attributes (name, type, value, range or choices), in
// plug and attribute order, each as a JSON object and as a line of text.
class ProjectInfo {
public:
    // `path` is the project file the node read, read once more for the loop actions.
    ProjectInfo(const ProjectNode& project, const std::string& path);

    QJsonArray m_inputs;
    QJsonArray m_outputs;
    QJsonArray m_attributes;
    std::vector<std::string> m_input_lines;
    std::vector<std::string> m_output_lines;
    std::vector<std::string> m_attribute_lines;
};
