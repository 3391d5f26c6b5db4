#include "nodes/graph/NodeGraphNode.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>

#include <boost/filesystem.hpp>

#include "host/BezierSpline.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/EvaluationRuns.h"
#include "host/Helper.h"
#include "host/MaterialTemplate.h"
#include "host/Update.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/CountRule.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/graph/ProjectInterface.h"
#include "nodes/graph/ProjectLoader.h"
#include "nodes/io/IoNode.h"

namespace {

bool CanOpen(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

}  // namespace

uint32_t NodeGraphNode::ValueInplug(const Node* io_node) {
    return io_node->GetInplugIdFromRegularInputId(0);
}

Node::Value::Type NodeGraphNode::ValueType(const Node* io_node) {
    return io_node->GetInplugValueType(ValueInplug(io_node));
}

NodeGraphNode::NodeGraphNode() : DynamicNode(false) {
    m_attributes.resize(2);
    m_attributes[kPathAttribute] = new Attribute(this, kPathAttribute, "path", std::string());
    m_attributes[kIterationsAttribute] =
        new Attribute(this, kIterationsAttribute, "iterations", 1.0, 1.0, 100000.0, 1.0, 0);
    UpdateInplugsAndOutplugs();
}

NodeGraphNode::~NodeGraphNode() {
    m_attribute_sources.clear();
    ClearCurveResults();
}

Status NodeGraphNode::ReadProject(std::string path) {
    const std::vector<AttributeInfo> saved = SaveAttributeValues();

    std::string resolved = path;
    if (!CanOpen(resolved)) {
        resolved = Helper::MakeProjectAbsolute(this, path);
        if (!CanOpen(resolved)) {
            return Status(StatusCode::Error, ProjectLoader::kLoadFailed, "cannot open " + path);
        }
    }
    // Made absolute before the working directory changes, so that a path relative to it still
    // names the same file.
    const std::string container = boost::filesystem::absolute(resolved).string();

    RefPtr<NodeGraph> graph(new NodeGraph());
    graph->SetFilePath(resolved);

    Status read_status;
    if (!ProjectLoader::Load(container, *graph, read_status)) {
        return read_status;
    }

    ProjectInterface found;
    Status discovered = ProjectInterface::Discover(*graph, found);
    if (!discovered.IsOk()) {
        // What the reader skipped often explains why nothing usable is left.
        discovered.SetReason(read_status.GetFullMessage());
        return discovered;
    }
    Commit(path, std::move(graph), found, saved);
    return read_status;
}

std::vector<AttributeInfo> NodeGraphNode::SaveAttributeValues() const {
    std::vector<AttributeInfo> saved;
    for (size_t index = 2; index < GetNumAttributes(); ++index) {
        saved.push_back(AttributeInfo::FromAttribute(*GetAttributeByIndex(index), nullptr, index));
    }
    return saved;
}

void NodeGraphNode::Commit(const std::string& path, RefPtr<NodeGraph> graph,
                           ProjectInterface& found, const std::vector<AttributeInfo>& saved) {
    GetAttributeByIndex(kPathAttribute)->SetString(path, false);
    if (Update* update = Update::Get()) {
        update->FlushEventsToProcess();
    }
    m_inner_graph = std::move(graph);

    // The connections around the node, by plug name, to be made again where the new plugs fit.
    // With two inplugs of one name, the first connected one is kept.
    std::map<std::string, std::pair<Node*, uint32_t>> inplug_sources;
    for (uint32_t inplug = 0; inplug < GetNumInplugs(); ++inplug) {
        if (Node* source = GetInplugNode(inplug)) {
            inplug_sources.emplace(GetInplugName(inplug),
                                   std::make_pair(source, GetInplugNodeOutplug(inplug)));
        }
    }
    std::map<std::string, std::vector<std::pair<Node*, uint32_t>>> outplug_targets;
    for (uint32_t connection = 0; connection < GetNumConnectedToOutplug(); ++connection) {
        if (Node* target = GetOutplugConnectionNode(connection)) {
            outplug_targets[GetOutplugName(GetOutplugConnectionOutplugId(connection))].emplace_back(
                target, GetOuplugConnectionNodeInplugId(connection));
        }
    }
    Engine::Get()->DisconnectAll(this);

    m_input_nodes = std::move(found.m_inputs);
    m_output_nodes = std::move(found.m_outputs);

    while (GetNumAttributes() > 2) {
        DeleteAttribute(GetNumAttributes() - 1);
    }
    m_attribute_sources.clear();
    for (const AttributeInfo& info : found.m_attributes) {
        uint64_t id = 0;
        switch (info.m_type) {
            case Attribute::BOOLEAN:
                id = AddBooleanAttribute(info.m_name, info.m_boolean);
                break;
            case Attribute::NUMBER:
                id = AddNumberAttribute(info.m_name, info.m_number, info.m_minimum, info.m_maximum,
                                        info.m_single_step, info.m_decimals);
                break;
            case Attribute::POINT:
                id = AddPointAttribute(info.m_name, info.m_point, info.m_minimum, info.m_maximum,
                                       info.m_single_step, info.m_decimals);
                break;
            case Attribute::FRAME:
                id = AddFrameAttribute(info.m_name, info.m_frame);
                break;
            case Attribute::RGBO:
                id = AddRgboAttribute(info.m_name, info.m_rgbo);
                break;
            case Attribute::CHOICE:
                id = AddChoiceAttribute(info.m_name, info.m_choice_names);
                break;
            case Attribute::STRING:
                id = AddStringAttribute(info.m_name, info.m_text);
                break;
        }
        m_attribute_sources[id] = {info.m_source_node, info.m_source_index};
    }
    m_loop_iterations_node = found.m_loop_iterations_node;

    m_inplug_declarations.clear();
    for (size_t input = 0; input < m_input_nodes.size(); ++input) {
        InplugDeclaration declaration;
        declaration.m_id = uint32_t(input);
        declaration.m_type = ValueType(m_input_nodes[input]);
        declaration.m_name = m_input_nodes[input]->GetName();
        m_inplug_declarations.push_back(std::move(declaration));
    }
    m_outplug_declarations.clear();
    for (size_t output = 0; output < m_output_nodes.size(); ++output) {
        OutplugDeclaration declaration;
        declaration.m_id = uint32_t(output);
        declaration.m_type = m_output_nodes[output]->GetOutplugValueType(0);
        declaration.m_name = m_output_nodes[output]->GetName();
        m_outplug_declarations.push_back(std::move(declaration));
    }

    ResizeResults(m_output_nodes.size());
    UpdateInplugsAndOutplugs();

    Engine& engine = *Engine::Get();
    for (const auto& [name, source] : inplug_sources) {
        const Value::Type type = source.first->GetOutplugValueType(source.second);
        for (uint32_t inplug = 0; inplug < GetNumInplugs(); ++inplug) {
            if (GetInplugName(inplug) == name && GetInplugValueType(inplug) == type) {
                engine.ConnectNodes(source.first, source.second, this, inplug);
                break;
            }
        }
    }
    for (const auto& [name, targets] : outplug_targets) {
        for (uint32_t outplug = 0; outplug < GetNumOutplugs(); ++outplug) {
            if (GetOutplugName(outplug) != name) {
                continue;
            }
            for (const auto& [target, inplug] : targets) {
                if (target->GetInplugValueType(inplug) == GetOutplugValueType(outplug)) {
                    engine.ConnectNodes(this, outplug, target, inplug);
                }
            }
        }
    }

    RestoreAttributeValues(saved);
    PostEvent(kEventInplugChanged, 0);
}

void NodeGraphNode::RestoreAttributeValues(const std::vector<AttributeInfo>& saved) {
    for (size_t index = 2; index < GetNumAttributes(); ++index) {
        Attribute& attribute = *GetAttributeByIndex(index);
        for (const AttributeInfo& value : saved) {
            if (value.m_name != attribute.GetName() || value.m_type != attribute.GetType()) {
                continue;
            }
            switch (value.m_type) {
                case Attribute::BOOLEAN:
                    attribute.SetBoolean(value.m_boolean, false);
                    break;
                case Attribute::NUMBER:
                    attribute.SetNumber(value.m_number, false);
                    break;
                case Attribute::POINT:
                    attribute.SetPoint(value.m_point, false);
                    break;
                case Attribute::FRAME:
                    attribute.SetFrame(value.m_frame, false);
                    break;
                case Attribute::RGBO:
                    attribute.SetRgbo(value.m_rgbo, false);
                    break;
                case Attribute::STRING:
                    attribute.SetString(value.m_text, false);
                    break;
                case Attribute::CHOICE:
                    // The document's loaded values select choices (PostLoad), not a re-read.
                    break;
            }
        }
    }
}

void NodeGraphNode::CopyFrom(Node* source) {
    if (const Attribute* path = source->GetAttributeByIndex(kPathAttribute)) {
        ReadProject(path->GetString());
    }
    PostLoad(GetVersion());
}

NodeType NodeGraphNode::GetNodeType() const {
    return m_is_project_node_type ? m_project_node_type : ProjectNodeTypes::kNodeGraphType;
}

std::string NodeGraphNode::GetTypeName() const {
    return m_is_project_node_type ? m_project_type_name : ProjectNodeTypes::kNodeGraphName;
}

uint32_t NodeGraphNode::GetVersion() const {
    return 1;
}

void NodeGraphNode::InitFromProject(const std::string& name, const NodeType& type,
                                    const std::string& path) {
    m_is_project_node_type = true;
    m_project_type_name = name;
    m_project_node_type = type;
    ReadProject(path);
}

bool NodeGraphNode::StoreRecord(int kind, const char* a, const char* b, const char* c,
                                const char* d) {
    if (kind == 0) {
        return true;
    }
    auto text = [](const char* value) { return std::string(value ? value : ""); };
    m_loaded_records.push_back({text(a), text(b), text(c), text(d)});
    return true;
}

bool NodeGraphNode::OnProcessEvent(NodeEvent event) {
    const bool handled = Node::OnProcessEvent(event);
    if (event.m_type == kEventInplugChanged) {
        const size_t attributes = GetNumAttributes();
        if (event.m_parameter >= attributes &&
            event.m_parameter - attributes < m_input_nodes.size()) {
            m_input_nodes[event.m_parameter - attributes]->ProcessEvent(kEventInplugChanged, 0);
        }
    } else if (event.m_type == kEventReleaseImages) {
        for (RefPtr<Image>& image : m_image_results) {
            image.Reset();
        }
        for (RefPtr<Material>& material : m_material_results) {
            material.Reset();
        }
    }
    return handled;
}

uint32_t NodeGraphNode::GetNumFileReferences() const {
    return m_is_project_node_type ? 0 : 1;
}

uint32_t NodeGraphNode::GetNumDirectoryReferences() const {
    return 0;
}

std::string NodeGraphNode::GetFileReference(uint32_t index) const {
    return index == 0 ? GetAttributeByIndex(kPathAttribute)->GetString() : std::string();
}

void NodeGraphNode::SetFileReference(uint32_t index, const std::string& path) {
    if (index == 0) {
        GetAttributeByIndex(kPathAttribute)->SetString(path, false);
    }
}

Status NodeGraphNode::ReadFileReference(uint32_t index, const std::string& path) {
    return index == 0 ? ReadProject(path) : Node::ReadFileReference(index, path);
}

Status NodeGraphNode::PostLoad(uint32_t) {
    const std::string path = GetAttributeByIndex(kPathAttribute)->GetString();
    const Status read = ReadProject(path);
    if (!path.empty() && read.GetCode() >= int(StatusCode::Error)) {
        std::string reason = read.GetReason();
        std::replace(reason.begin(), reason.end(), '\n', ';');
        NodeGraph::ReportReadProblem("project \"" + path +
                                     "\" cannot be read: " + read.GetMessage() +
                                     (reason.empty() ? "" : " (" + reason + ")"));
    }
    Status status = SetAttributeLoadedValues();
    if (m_is_project_node_type) {
        GetAttribute("iterations")->SetNumber(1.0, false);
    }
    return status;
}

void NodeGraphNode::EvaluateOutplug(uint32_t outplug,
                                    const std::vector<const Value*>& inplug_values) {
    if (IsActive() && m_inner_graph) {
        BuildLoopPairs();
        m_carried_values.assign(m_output_nodes.size(), Value(this));
        const int64_t count64 =
            CountRule::FromValue(*inplug_values[GetInplugIdFromAttributeId(kIterationsAttribute)]);
        const int count = int(std::clamp<int64_t>(count64, INT_MIN, INT_MAX));

        m_inner_input_values.resize(m_input_nodes.size());
        for (size_t input = 0; input < m_input_nodes.size(); ++input) {
            m_inner_input_values[input] = inplug_values[GetNumAttributes() + input];
        }
        if (m_loop_iterations_node) {
            m_loop_iterations_node->GetAttributeByIndex(1)->SetNumber(double(count), false);
        }
        InitialiseResults();
        CopyAttributesToInnerNodes(inplug_values);
        // What feeds the outputs is the same in every run.
        m_evaluations.clear();
        for (const IoNode* output : m_output_nodes) {
            m_evaluations.push_back({output->GetInplugNode(ValueInplug(output)),
                                     output->GetInplugNodeOutplug(ValueInplug(output)), false});
        }
        m_replacements.clear();
        m_plan.Clear();
        for (RefPtr<Image>& image : m_image_results) {
            image.Reset();
        }
        EvaluationRuns runs(count);
        for (int iteration = 0; iteration < count && runs.Continue(); ++iteration) {
            RunIteration(iteration);
            runs.RunDone();
        }
        FinishResults(count);
    }
    ReportInnerStates(outplug);
}

void NodeGraphNode::BuildLoopPairs() {
    m_loop_pairs.resize(m_input_nodes.size());
    for (size_t input = 0; input < m_input_nodes.size(); ++input) {
        LoopPair& pair = m_loop_pairs[input];
        pair = {uint32_t(input), m_input_nodes[input], kNone, nullptr};
        const std::string& name = pair.m_input_node->GetName();
        const NodeType type = pair.m_input_node->GetNodeType();
        for (size_t output = 0; output < m_output_nodes.size(); ++output) {
            IoNode* output_node = m_output_nodes[output];
            if (!output_node->GetName().empty() && output_node->GetName() == name &&
                output_node->GetNodeType() == type) {
                pair.m_output_index = uint32_t(output);
                pair.m_output_node = output_node;
                break;
            }
        }
    }
}

void NodeGraphNode::CopyAttributesToInnerNodes(const std::vector<const Value*>& inplug_values) {
    for (const auto& [id, source] : m_attribute_sources) {
        const Value& value = *inplug_values[GetInplugIdFromAttributeId(uint32_t(id))];
        Attribute* target = source.m_node->GetAttributeByIndex(source.m_index);
        if (!target) {
            continue;
        }
        switch (value.m_type) {
            case Value::Boolean:
                target->SetBoolean(value.m_boolean, false);
                break;
            case Value::Number:
                target->SetNumber(value.m_number, false);
                break;
            case Value::Point:
                target->SetPoint(value.m_point, false);
                break;
            case Value::Frame:
                target->SetFrame(value.m_frame, false);
                break;
            case Value::Rgbo:
                target->SetRgbo(value.m_rgbo, false);
                break;
            case Value::String:
                if (target->GetType() == Attribute::STRING) {
                    target->SetString(value.m_string, false);
                } else if (target->GetType() == Attribute::CHOICE) {
                    target->SetChoice(value.m_string, false);
                }
                break;
            default:
                break;
        }
    }
}

void NodeGraphNode::RunIteration(int iteration) {
    if (m_loop_iterations_node) {
        m_loop_iterations_node->GetAttributeByIndex(0)->SetNumber(double(iteration) + 1.0, false);
    }
    // Updated in place: the map allocates only when an input turns empty or non-empty.
    for (size_t input = 0; input < m_input_nodes.size(); ++input) {
        const Value* value = m_inner_input_values[input];
        if (value->IsEmpty()) {
            m_replacements.erase(m_input_nodes[input]);
        } else {
            m_replacements.insert_or_assign(m_input_nodes[input], value);
        }
    }
    bool stopped = false;
    {
        EvaluateNodeOutplugs evaluator(m_evaluations, &m_plan);
        evaluator.ReplaceNodeInplugValues(m_replacements);
        // A stopped run's outputs are partial and their stored values may be stale: none is read.
        stopped = !evaluator.EvaluateAll();
        for (size_t output = 0; !stopped && output < m_output_nodes.size(); ++output) {
            ReadOutput(output, iteration);
        }
    }
    for (const LoopPair& pair : m_loop_pairs) {
        if (pair.m_output_node && !stopped) {
            m_inner_input_values[pair.m_input_index] = &m_carried_values[pair.m_output_index];
        }
    }
    for (size_t index = 0; index < m_inner_graph->GetNumNodes(); ++index) {
        m_inner_graph->GetNode(index)->SetDirtyAllOutplugs();
    }
}

void NodeGraphNode::ReportInnerStates(uint32_t outplug) {
    if (!m_inner_graph) {
        return;
    }
    for (size_t index = 0; index < m_inner_graph->GetNumNodes(); ++index) {
        const Node* node = m_inner_graph->GetNode(index);
        const State state = node->GetState();
        if (state == 0) {
            continue;
        }
        for (uint32_t inner = 0; inner < node->GetNumOutplugs(); ++inner) {
            if (node->GetState(inner) == 0) {
                continue;
            }
            std::string message = node->GetTypeName();
            if (!node->GetName().empty()) {
                message += ":" + node->GetName();
            }
            message += ":" + node->GetOutplugName(inner) + ":" + node->GetStateMessage(inner);
            SetState(outplug, state, message);
        }
    }
}

double NodeGraphNode::GetNumberValue(uint32_t outplug) {
    return outplug < m_number_results.size() ? m_number_results[outplug] : 0.0;
}

Point NodeGraphNode::GetPointValue(uint32_t outplug) {
    return outplug < m_point_results.size() ? m_point_results[outplug] : Point();
}

Frame NodeGraphNode::GetFrameValue(uint32_t outplug) {
    return outplug < m_frame_results.size() ? m_frame_results[outplug] : Frame();
}

Image* NodeGraphNode::GetImageValue(uint32_t outplug) {
    return outplug < m_image_results.size() ? m_image_results[outplug].Get() : nullptr;
}

Material* NodeGraphNode::GetMaterialValue(uint32_t outplug) {
    return outplug < m_material_results.size() ? m_material_results[outplug].Get() : nullptr;
}

std::vector<BezierSpline*>* NodeGraphNode::GetCurveValue(uint32_t outplug) {
    return outplug < m_curve_results.size() ? &m_curve_results[outplug] : nullptr;
}

bool NodeGraphNode::GetBooleanValue(uint32_t outplug) {
    return outplug < m_other_results.size() && m_other_results[outplug].m_boolean;
}

Rgbo NodeGraphNode::GetRgboValue(uint32_t outplug) {
    return outplug < m_other_results.size() ? m_other_results[outplug].m_rgbo : Rgbo();
}

std::string NodeGraphNode::GetStringValue(uint32_t outplug) {
    return outplug < m_other_results.size() ? m_other_results[outplug].m_string : std::string();
}
