#include "nodes/graph/ProjectInterface.h"

#include <cctype>
#include <string>
#include <unordered_set>

#include "host/Helper.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/io/IoNode.h"

namespace {

// The Writer of the host's file library: the only foreign node type a project scan looks for.
const NodeType kWriterType(10, 16, 0);

// The name an unnamed IO node gets, or null when the type is not an IO node type.
const char* IoDefaultName(const NodeType& type) {
    if (type == ProjectNodeTypes::kBooleanIoType) {
        return "bool";
    }
    if (type == ProjectNodeTypes::kNumberIoType) {
        return "number";
    }
    if (type == ProjectNodeTypes::kPointIoType) {
        return "point";
    }
    if (type == ProjectNodeTypes::kFrameIoType) {
        return "frame";
    }
    if (type == ProjectNodeTypes::kRgboIoType) {
        return "rgbo";
    }
    if (type == ProjectNodeTypes::kImageIoType) {
        return "image";
    }
    if (type == ProjectNodeTypes::kMaterialIoType) {
        return "material";
    }
    if (type == ProjectNodeTypes::kCurvesIoType) {
        return "curves";
    }
    return nullptr;
}

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

Status Refuse(const std::string& message) {
    return Status(StatusCode::Error, message);
}

// Every node that feeds one of the inputs, directly or not: depth first, in inplug order, each node
// once. Iterative, so that a long chain cannot exhaust the stack.
std::vector<Node*> CollectUpstream(const std::vector<IoNode*>& inputs) {
    std::vector<Node*> collected;
    std::unordered_set<const Node*> seen;
    std::vector<Node*> stack;
    auto push_sources = [&stack](const Node* node) {
        for (uint32_t inplug = node->GetNumInplugs(); inplug-- > 0;) {
            if (Node* source = node->GetInplugNode(inplug)) {
                stack.push_back(source);
            }
        }
    };
    for (const IoNode* input : inputs) {
        push_sources(input);
        while (!stack.empty()) {
            Node* node = stack.back();
            stack.pop_back();
            if (!seen.insert(node).second) {
                continue;
            }
            collected.push_back(node);
            push_sources(node);
        }
    }
    return collected;
}

}  // namespace

Status ProjectInterface::Discover(NodeGraph& graph, ProjectInterface& found) {
    found = ProjectInterface();
    std::vector<Node*> writers;
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        Node* node = graph.GetNode(index);
        const NodeType type = node->GetNodeType();
        if (const char* default_name = IoDefaultName(type)) {
            IoNode* io_node = static_cast<IoNode*>(node);
            if (node->GetNumConnectedToOutplug() != 0) {
                found.m_inputs.push_back(io_node);
            } else if (node->GetNumConnectedToInplug() != 0) {
                found.m_outputs.push_back(io_node);
            }
            if (node->GetName().empty()) {
                node->SetName(default_name);
            }
        }
        if (type == kWriterType) {
            writers.push_back(node);
        }
        if (type == ProjectNodeTypes::kAttributesType && Lowered(node->GetName()) != "private") {
            for (size_t a = 0; a < node->GetNumAttributes(); ++a) {
                const Attribute& attribute = *node->GetAttributeByIndex(a);
                for (const AttributeInfo& earlier : found.m_attributes) {
                    if (earlier.m_name == attribute.GetName()) {
                        return Refuse("Duplicated attribute name has already been used.");
                    }
                }
                found.m_attributes.push_back(AttributeInfo::FromAttribute(attribute, node, a));
            }
        }
        if (type == ProjectNodeTypes::kLoopIterationsType) {
            found.m_loop_iterations_node = static_cast<LoopIterationsNode*>(node);
        }
    }

    // A project rendered by Writers, without IO outputs, offers each named Writer's image.
    if (found.m_outputs.empty()) {
        for (Node* writer : writers) {
            if (writer->GetName().empty()) {
                continue;
            }
            Node* output = graph.CreateNode(ProjectNodeTypes::kImageIoType, 0xFFFFFFFFu);
            if (!output) {
                continue;
            }
            output->SetName(writer->GetName());
            graph.ConnectNodes(writer, "image", 0, output, "image", 0);
            found.m_outputs.push_back(static_cast<IoNode*>(output));
        }
    }

    if (found.m_inputs.empty() && found.m_outputs.empty()) {
        return Refuse(writers.empty() ? "The project doesn't have any IO Nodes."
                                      : "The project has some Writer nodes without a name. Rename "
                                        "these nodes and load the project again.");
    }
    if (found.m_outputs.empty()) {
        return Refuse("The project doesn't have any IO Output Nodes.");
    }

    // What feeds an input is replaced by the outer value, so it goes. An exposed attribute, another
    // input or the Loop Iterations node there would be left dangling: such projects are refused.
    const std::vector<Node*> upstream = CollectUpstream(found.m_inputs);
    const std::unordered_set<const Node*> upstream_set(upstream.begin(), upstream.end());
    auto is_upstream = [&upstream_set](const Node* node) { return upstream_set.count(node) != 0; };
    bool unclear = is_upstream(found.m_loop_iterations_node);
    for (const AttributeInfo& attribute : found.m_attributes) {
        unclear = unclear || is_upstream(attribute.m_source_node);
    }
    for (const IoNode* input : found.m_inputs) {
        unclear = unclear || is_upstream(input);
    }
    if (unclear) {
        return Refuse(
            "The IO Nodes on this project are not clearly identified as input or output.");
    }
    for (Node* node : upstream) {
        graph.DeleteNode(node);
    }

    std::unordered_set<std::string> attribute_names;
    for (const AttributeInfo& attribute : found.m_attributes) {
        if (!attribute_names.insert(Lowered(attribute.m_name)).second) {
            return Refuse("The project has two or more attributes with the same name.");
        }
    }
    std::unordered_set<std::string> input_names;
    for (const IoNode* input : found.m_inputs) {
        const std::string name = Lowered(input->GetName());
        if (attribute_names.count(name) || !input_names.insert(name).second) {
            return Refuse(
                "The project has two or more input nodes or attributes with the same "
                "name.<br />" +
                Helper::GetWikiLink("Nodes_Project_Node_Graph.html", "Node Graph node"));
        }
    }
    std::unordered_set<std::string> output_names;
    for (const IoNode* output : found.m_outputs) {
        if (!output_names.insert(Lowered(output->GetName())).second) {
            return Refuse("The project has two or more output nodes with the same name.");
        }
    }
    return Status::Ok();
}
