#include "ProjectWriter.h"

#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <boost/filesystem.hpp>

#include "host/Attribute.h"
#include "host/Node.h"

namespace fs = boost::filesystem;

namespace {

// Position of `plug` among the plugs of the same name that come before it.
template <typename NameOf>
uint32_t IndexAmongSameName(uint32_t plug, NameOf name_of) {
    const std::string& name = name_of(plug);
    uint32_t index = 0;
    for (uint32_t other = 0; other < plug; ++other) {
        if (name_of(other) == name) {
            ++index;
        }
    }
    return index;
}

// Has the node save its side files and returns the path of the first, relative to the folder,
// adding every one to `side_files`. Empty when the node saves none.
std::string SaveDefinitions(Node& node, size_t id, const fs::path& folder,
                            std::vector<std::string>& side_files, Status& status) {
    const std::string node_text = "node " + std::to_string(id) + " (\"" + node.GetName() + "\")";
    const std::vector<std::string> saved =
        node.SaveDefinitions((folder / ("node" + std::to_string(id) + "_definitions")).string());
    std::string first;
    for (const std::string& file : saved) {
        const std::string relative = fs::path(file).lexically_relative(folder).generic_string();
        if (relative.empty() || relative == "." || relative.starts_with("..") ||
            relative == "Project.xml") {
            status.Merge(Status(StatusCode::Error, node_text + ": side file \"" + file +
                                                       "\" lies outside the project"));
            continue;
        }
        boost::system::error_code code;
        if (!fs::is_regular_file(file, code)) {
            status.Merge(Status(StatusCode::Error,
                                node_text + ": side file \"" + file + "\" was not written"));
            continue;
        }
        if (first.empty()) {
            first = relative;
        }
        if (std::find(side_files.begin(), side_files.end(), relative) == side_files.end()) {
            side_files.push_back(relative);
        }
    }
    return first;
}

TiXmlElement* WriteNode(Node& node, size_t id, const fs::path& folder,
                        std::vector<std::string>& side_files, Status& status) {
    auto* element = new TiXmlElement("Node");
    element->SetAttribute("id", std::to_string(id));
    element->SetAttribute("type", node.GetNodeType().ToString());
    element->SetAttribute("name", node.GetName());
    if (!node.IsActive()) {
        element->SetAttribute("active", "0");
    }
    if (const uint32_t version = node.GetVersion(); version != 0) {
        element->SetAttribute("version", std::to_string(version));
    }
    const std::string definitions = SaveDefinitions(node, id, folder, side_files, status);
    if (!definitions.empty()) {
        element->SetAttribute("definitions", definitions);
    }
    for (size_t index = 0; index < node.GetNumAttributes(); ++index) {
        const Attribute* attribute = node.GetAttributeByIndex(index);
        auto* value = new TiXmlElement("Value");
        value->SetAttribute("name", attribute->GetName());
        value->SetAttribute("type", Attribute::TypeWord(attribute->GetType()));
        value->SetAttribute("value", attribute->GetValueText());
        element->LinkEndChild(value);
    }
    return element;
}

void WriteConnections(const NodeGraph& graph, size_t id, TiXmlElement& root, Status& status) {
    const Node& target = *graph.GetNode(id);
    for (uint32_t inplug = 0; inplug < target.GetNumInplugs(); ++inplug) {
        const Node* source = target.GetInplugNode(inplug);
        if (!source) {
            continue;
        }
        const size_t from = graph.IndexOf(source);
        if (from == NodeGraph::kNone) {
            status.Merge(Status(StatusCode::Warning,
                                "node " + std::to_string(id) + " (\"" + target.GetName() +
                                    "\"): the connection from a node of another graph is not "
                                    "saved"));
            continue;
        }
        const uint32_t outplug = target.GetInplugNodeOutplug(inplug);
        const uint32_t from_index = IndexAmongSameName(
            outplug,
            [source](uint32_t plug) -> const std::string& { return source->GetOutplugName(plug); });
        const uint32_t to_index = IndexAmongSameName(
            inplug,
            [&target](uint32_t plug) -> const std::string& { return target.GetInplugName(plug); });
        auto* connection = new TiXmlElement("Connection");
        connection->SetAttribute("from", std::to_string(from));
        connection->SetAttribute("outplug", source->GetOutplugName(outplug));
        connection->SetAttribute("to", std::to_string(id));
        connection->SetAttribute("inplug", target.GetInplugName(inplug));
        if (from_index != 0) {
            connection->SetAttribute("from_index", std::to_string(from_index));
        }
        if (to_index != 0) {
            connection->SetAttribute("to_index", std::to_string(to_index));
        }
        root.LinkEndChild(connection);
    }
}

}  // namespace

Status ProjectWriter::Write(const NodeGraph& graph, const std::string& folder,
                            std::vector<std::string>& files) {
    files.clear();
    const fs::path folder_path(folder);
    Status status;
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    auto* root = new TiXmlElement("QuillmarProject");
    root->SetAttribute("major", "1");
    root->SetAttribute("minor", "0");
    document.LinkEndChild(root);

    std::vector<std::string> side_files;
    for (size_t id = 0; id < graph.GetNumNodes(); ++id) {
        root->LinkEndChild(WriteNode(*graph.GetNode(id), id, folder_path, side_files, status));
    }
    for (size_t id = 0; id < graph.GetNumNodes(); ++id) {
        WriteConnections(graph, id, *root, status);
    }

    const std::string project_path = (folder_path / "Project.xml").string();
    errno = 0;
    if (!document.SaveFile(project_path)) {
        status.Merge(Status(StatusCode::Error,
                            "Cannot write " + project_path + ": " + std::strerror(errno) + "."));
        return status;
    }
    files.push_back("Project.xml");
    files.insert(files.end(), side_files.begin(), side_files.end());
    return status;
}
