#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/DynamicNode.h"
#include "host/EvaluationPlan.h"
#include "host/Frame.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/NodeGraph.h"
#include "host/NodeOutplugEval.h"
#include "host/Point.h"
#include "host/RefPtr.h"
#include "host/Rgbo.h"
#include "nodes/graph/AttributeInfo.h"

class BezierSpline;
class IoNode;
class LoopIterationsNode;
struct ProjectInterface;

// Runs a saved project as one node. Reading a project file (ReadProject) gives the node one
// regular inplug per input IO node of the project, one outplug per output IO node and one
// attribute per exposed project attribute, after the two fixed attributes "path" and "iterations".
// Evaluating any outplug runs the inner graph "iterations" times, feeding each output into the
// input of the same name and node type, and combines the runs by each output's loop action.
//
// GUI thread only. A failed read leaves the node exactly as it was.
class NodeGraphNode : public DynamicNode {
public:
    static constexpr uint32_t kPathAttribute = 0;
    static constexpr uint32_t kIterationsAttribute = 1;

    NodeGraphNode();
    ~NodeGraphNode() override;

    // Reads the project file at `path` (as passed, else relative to this node's project) and,
    // when the project is usable, takes over its interface, keeping connections and attribute
    // values whose names and types still fit. Returns the project reader's status on success, and
    // code 2 with a message for the user when the node was left unchanged. Restores the working
    // directory and removes its temporary folder on every path.
    Status ReadProject(std::string path);

    // Copies the source node's project (read again from its path) and its loaded values.
    void CopyFrom(Node* source) override;
    NodeType GetNodeType() const override;
    std::string GetTypeName() const override;
    uint32_t GetVersion() const override;
    // Makes this node stand for the node type `type` named `name`, defined by the project `path`.
    void InitFromProject(const std::string& name, const NodeType& type,
                         const std::string& path) override;
    // Keeps saved values of attributes that exist only once the project has been read.
    bool StoreRecord(int kind, const char* a, const char* b, const char* c, const char* d) override;
    // Event 5 about a regular inplug reaches the inner input IO node behind it; event 11 releases
    // the image and material results. Always returns the base's answer.
    bool OnProcessEvent(NodeEvent event) override;
    uint32_t GetNumFileReferences() const override;
    uint32_t GetNumDirectoryReferences() const override;
    std::string GetFileReference(uint32_t index) const override;
    void SetFileReference(uint32_t index, const std::string& path) override;
    // Reference 0 is the project file: ReadProject.
    Status ReadFileReference(uint32_t index, const std::string& path) override;

    // Recomputes every output, whichever one is asked for, and reports failing inner outplugs as
    // this node's state on `outplug`.
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    double GetNumberValue(uint32_t outplug) override;
    Point GetPointValue(uint32_t outplug) override;
    Frame GetFrameValue(uint32_t outplug) override;
    Image* GetImageValue(uint32_t outplug) override;
    Material* GetMaterialValue(uint32_t outplug) override;
    std::vector<BezierSpline*>* GetCurveValue(uint32_t outplug) override;
    // Boolean, colour and string outputs keep the last run's value; colours can also be
    // composited or averaged over the runs.
    bool GetBooleanValue(uint32_t outplug) override;
    Rgbo GetRgboValue(uint32_t outplug) override;
    std::string GetStringValue(uint32_t outplug) override;

    // Re-reads the project from "path", then applies the values kept by StoreRecord.
    Status PostLoad(uint32_t version) override;

    // Whether the node stands for a project's own node type (InitFromProject).
    bool IsProjectNodeType() const { return m_is_project_node_type; }
    // The project read last, or null.
    NodeGraph* GetInnerGraph() const { return m_inner_graph.Get(); }
    const std::vector<IoNode*>& GetInputNodes() const { return m_input_nodes; }
    const std::vector<IoNode*>& GetOutputNodes() const { return m_output_nodes; }

private:
    // Where an exposed attribute's value goes in the inner graph.
    struct AttributeSource {
        Node* m_node = nullptr;
        uint64_t m_index = 0;
    };
    // An inner input and the output of the same name and node type that feeds it back, if any.
    struct LoopPair {
        uint32_t m_input_index = 0;
        IoNode* m_input_node = nullptr;
        uint32_t m_output_index = kNone;
        IoNode* m_output_node = nullptr;
    };

    std::vector<AttributeInfo> SaveAttributeValues() const;
    void Commit(const std::string& path, RefPtr<NodeGraph> graph, ProjectInterface& found,
                const std::vector<AttributeInfo>& saved);
    void RestoreAttributeValues(const std::vector<AttributeInfo>& saved);

    void BuildLoopPairs();
    void InitialiseResults();
    void CopyAttributesToInnerNodes(const std::vector<const Value*>& inplug_values);
    void RunIteration(int iteration);
    void ReadOutput(size_t output, int iteration);
    void ReadOtherOutput(size_t output, int action, const Value& value);
    void FinishResults(int count);
    void ReportInnerStates(uint32_t outplug);
    void ClearCurveResults();
    // One slot per output for each kind of result; curves of outputs that went are deleted.
    void ResizeResults(size_t outputs);

    // The regular input of an IO node, where its value arrives, and its type.
    static uint32_t ValueInplug(const Node* io_node);
    static Value::Type ValueType(const Node* io_node);

    bool m_is_project_node_type = false;
    std::string m_project_type_name;
    NodeType m_project_node_type;
    RefPtr<NodeGraph> m_inner_graph;
    std::vector<IoNode*> m_input_nodes;
    std::vector<IoNode*> m_output_nodes;
    LoopIterationsNode* m_loop_iterations_node = nullptr;

    std::vector<double> m_iteration_numbers;
    std::vector<double> m_number_results;
    std::vector<Point> m_iteration_points;
    std::vector<Point> m_point_results;
    std::vector<Frame> m_iteration_frames;
    std::vector<Frame> m_frame_results;
    std::vector<RefPtr<Image>> m_iteration_images;
    std::vector<RefPtr<Image>> m_image_results;
    std::vector<RefPtr<Material>> m_material_results;
    // The node owns every spline in these lists.
    std::vector<std::vector<BezierSpline*>> m_curve_results;

    // Boolean, colour and string outputs: the latest run's value and the result.
    std::vector<Value> m_iteration_other;
    std::vector<Value> m_other_results;

    std::map<uint64_t, AttributeSource> m_attribute_sources;

    // Per-request working data, kept between requests only to reuse its memory.
    std::vector<LoopPair> m_loop_pairs;
    std::vector<Value> m_carried_values;
    std::vector<const Value*> m_inner_input_values;
    std::vector<NodeOutplugEval> m_evaluations;
    std::map<Node*, const Value*> m_replacements;
    // Recorded by a request's first run, replayed by the others.
    EvaluationPlan m_plan;
};
