#include "RecordingNode.h"

#include <fstream>
#include <stdexcept>

#include "host/Attribute.h"
#include "host/Helper.h"
#include "host/NodeFactory.h"
#include "host/NodeTypeRegistry.h"
#include "host/ProjectFile.h"

namespace {

class RecordingNodeFactory : public NodeFactory {
public:
    NodeType GetNodeType() const override { return RecordingNode::Type(); }
    Node* CreateNode() override { return new RecordingNode(); }
    std::string GetName() const override { return "Recording"; }
};

}  // namespace

bool RecordingNode::Register() {
    static const bool registered =
        NodeTypeRegistry::Get().RegisterUnpublished(new RecordingNodeFactory(), "project_tests");
    return registered;
}

RecordingNode::RecordingNode() : DynamicNode(false) {
    m_attributes.push_back(Attribute::CreateBoolean(this, 0, "flag", false));
    m_attributes.push_back(new Attribute(this, 1, "gain", 1.0, -1e9, 1e9, 0.1, 3));
    m_attributes.push_back(Attribute::CreatePoint(this, 2, "offset", {0, 0}, -100, 100, 1, 2));
    m_attributes.push_back(Attribute::CreateFrame(this, 3, "area", {0, 0, 1, 1}));
    m_attributes.push_back(Attribute::CreateRgbo(this, 4, "tint", {1, 1, 1, 1}));
    m_attributes.push_back(new Attribute(this, 5, "mode", 0, "add,multiply,screen"));
    m_attributes.push_back(new Attribute(this, 6, "label", ""));
    m_inplug_declarations = {{0, Value::Number, "in", 0, 0},
                             {1, Value::Number, "in", 0, 0},
                             {2, Value::Number, "layer", 0, 1}};
    m_outplug_declarations = {
        {0, Value::Number, "out", 0}, {1, Value::Number, "out", 0}, {2, Value::String, "text", 0}};
    UpdateInplugsAndOutplugs();
}

bool RecordingNode::StoreRecord(int kind, const char* a, const char* b, const char* c,
                                const char* d) {
    if (kind != 1 || !std::string(a).starts_with("kept_")) {
        return false;
    }
    m_loaded_records.push_back({a, b, c, d});
    return true;
}

uint32_t RecordingNode::V0GetOutplugIndex(const std::string& name) const {
    return name == "old_out" ? FindOutplug("out") : DynamicNode::V0GetOutplugIndex(name);
}

std::vector<std::string> RecordingNode::SaveDefinitions(const std::string& base_path) {
    if (m_extras.empty()) {
        return {};
    }
    const std::string path = base_path + ".txt";
    if (!m_lose_side_file) {
        std::ofstream file(path);
        for (const std::string& extra : m_extras) {
            file << extra << '\n';
        }
    }
    return {path};
}

bool RecordingNode::LoadDefinitions(const std::vector<std::string>& files) {
    std::ifstream file(files.size() == 1 ? files[0] : std::string());
    if (!file) {
        return false;
    }
    for (std::string name; std::getline(file, name);) {
        AddExtra(name);
    }
    return true;
}

Status RecordingNode::PostLoad(uint32_t version) {
    m_loaded_version = version;
    m_attributes_at_post_load = GetNumAttributes();
    const std::string& label = GetAttribute("label")->GetString();
    if (label == "fail post load") {
        return Status(StatusCode::Error, "post load failed on purpose");
    }
    if (label == "throw in post load") {
        throw std::runtime_error("thrown on purpose");
    }
    if (label.starts_with("include:")) {
        ++s_num_includes;
        m_inner_graph = new NodeGraph();
        m_inner_status =
            ProjectFile::Read(Helper::MakeProjectAbsolute(this, label.substr(8)), *m_inner_graph);
    }
    return Status::Ok();
}

void RecordingNode::AddExtra(const std::string& name) {
    m_extras.push_back(name);
    AddNumberAttribute(name, 0.0, -1e9, 1e9, 1.0, 2);
}
