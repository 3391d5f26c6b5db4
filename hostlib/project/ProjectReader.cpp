#include "ProjectReader.h"

#include <tinyxml.h>

#include <charconv>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <boost/filesystem.hpp>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/Node.h"

namespace fs = boost::filesystem;

namespace {

// The project files being read on this thread, outermost first. A nested read that finds its file
// here sets m_self_inclusion on every entry, so that each enclosing read reports it too.
struct ActiveRead {
    std::string m_path;
    std::string m_self_inclusion;
    // Problems that nodes reported while this read loaded them.
    std::vector<std::string> m_reported;
};
thread_local std::vector<ActiveRead> t_active_reads;

// Keeps this read on the stack for its whole duration, whatever way it ends.
struct ActiveReadScope {
    explicit ActiveReadScope(const std::string& path) : m_index(t_active_reads.size()) {
        t_active_reads.push_back({path, {}, {}});
    }
    ~ActiveReadScope() { t_active_reads.resize(m_index); }
    ActiveReadScope(const ActiveReadScope&) = delete;
    ActiveReadScope& operator=(const ActiveReadScope&) = delete;

    const std::string& GetSelfInclusion() const { return t_active_reads[m_index].m_self_inclusion; }
    std::vector<std::string> TakeReported() {
        return std::exchange(t_active_reads[m_index].m_reported, {});
    }

    size_t m_index;
};

// The same file reached by different paths gives the same key.
std::string ReadKey(const std::string& file_path) {
    if (file_path.empty()) {
        return {};
    }
    boost::system::error_code code;
    const fs::path canonical = fs::canonical(file_path, code);
    return code ? file_path : canonical.string();
}

// Whole-text decimal numbers only: "12abc" or " 12" are refused.
template <typename Number>
bool ParseNumber(const char* text, Number& value) {
    if (!text || !*text) {
        return false;
    }
    const char* end = text + std::strlen(text);
    auto [next, error] = std::from_chars(text, end, value);
    return error == std::errc() && next == end;
}

// Definitions must come from the project's own folder.
bool StaysInFolder(const std::string& path) {
    const fs::path relative(path);
    if (path.empty() || relative.is_absolute() || relative.has_root_path()) {
        return false;
    }
    for (const fs::path& component : relative) {
        if (component == "..") {
            return false;
        }
    }
    return true;
}

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string DescribeNode(int id, const std::string& name) {
    return "node " + std::to_string(id) + (name.empty() ? "" : " (" + Quote(name) + ")");
}

std::string DescribeStatus(const Status& status, const char* operation) {
    return status.GetMessage().empty()
               ? std::string(operation) + " failed with code " + std::to_string(status.GetCode())
               : status.GetMessage();
}

struct LoadedNode {
    Node* m_node;
    int m_id;
    uint32_t m_version;
};

// Applies one saved value to the node: to the attribute of that name, or as a record the node
// may keep. Returns a problem, or an empty text. Descriptions are built only for a problem: a
// large project reads tens of thousands of values that have none.
std::string ApplyValue(Node& node, int id, const std::string& node_name,
                       const TiXmlElement& value) {
    const char* name = value.Attribute("name");
    const char* type_word = value.Attribute("type");
    const char* text = value.Attribute("value");
    if (!name || !type_word || !text) {
        return DescribeNode(id, node_name) +
               ": a value without name, type or value text is skipped";
    }
    const auto value_text = [&] { return DescribeNode(id, node_name) + ", value " + Quote(name); };
    Attribute::Type type;
    if (!Attribute::TypeFromWord(type_word, type)) {
        return value_text() + ": unknown type " + Quote(type_word);
    }
    if (Attribute* attribute = node.GetAttribute(name)) {
        if (attribute->GetType() != type) {
            return value_text() + ": saved as " + type_word + " but the attribute is " +
                   attribute->GetTypeName();
        }
        if (!attribute->SetValueText(text, false)) {
            return value_text() + ": unreadable " + type_word + " text " + Quote(text);
        }
        return {};
    }
    if (!node.StoreRecord(1, name, type_word, text, "")) {
        return value_text() + ": value of unknown attribute";
    }
    return {};
}

// Creates, names and fills one node. Returns null, with the problem, when the node is skipped.
Node* ReadNode(NodeGraph& graph, const TiXmlElement& element, int id, uint32_t& version,
               std::vector<std::string>& problems) {
    const char* name_text = element.Attribute("name");
    const std::string name = name_text ? name_text : "";
    const auto node_text = [&] { return DescribeNode(id, name); };
    const char* type_text = element.Attribute("type");
    NodeType type;
    if (!type_text || !NodeType::FromString(type_text, type)) {
        problems.push_back(node_text() + ": unreadable node type " +
                           Quote(type_text ? type_text : "") +
                           "; the node, its values and its connections are skipped");
        return nullptr;
    }
    Node* node = graph.CreateNode(type);
    if (!node) {
        problems.push_back(node_text() + ": unknown node type " + type.ToString() +
                           "; the node, its values and its connections are skipped");
        return nullptr;
    }
    node->SetName(name);
    if (const char* active = element.Attribute("active")) {
        int flag = 1;
        if (ParseNumber(active, flag)) {
            node->SetActive(flag != 0);
        } else {
            problems.push_back(node_text() + ": unreadable active flag " + Quote(active));
        }
    }
    version = 0;
    if (const char* version_text = element.Attribute("version")) {
        if (!ParseNumber(version_text, version)) {
            problems.push_back(node_text() + ": unreadable version " + Quote(version_text));
        }
    }
    if (const char* definitions = element.Attribute("definitions")) {
        if (!StaysInFolder(definitions)) {
            problems.push_back(node_text() + ": definitions file " + Quote(definitions) +
                               " lies outside the project");
        } else if (!node->LoadDefinitions({definitions})) {
            problems.push_back(node_text() + ": cannot load the definitions file " +
                               Quote(definitions));
        }
    }
    for (const TiXmlElement* value = element.FirstChildElement("Value"); value;
         value = value->NextSiblingElement("Value")) {
        std::string problem = ApplyValue(*node, id, name, *value);
        if (!problem.empty()) {
            problems.push_back(std::move(problem));
        }
    }
    return node;
}

// The plug a saved name and index stand for, or kNone. Names that a version-0 node no longer
// uses are mapped by the node itself.
uint32_t ResolveOutplug(const Node& node, const std::string& name, uint32_t index,
                        uint32_t version) {
    uint32_t plug = node.FindOutplug(name, index);
    if (plug == Node::kNone && version == 0 && index == 0) {
        plug = node.V0GetOutplugIndex(name);
    }
    return plug < node.GetNumOutplugs() ? plug : Node::kNone;
}

uint32_t ResolveInplug(const Node& node, const std::string& name, uint32_t index,
                       uint32_t version) {
    uint32_t plug = node.FindInplug(name, index);
    if (plug == Node::kNone && version == 0 && index == 0) {
        plug = node.V0GetInplugIndex(name);
    }
    return plug < node.GetNumInplugs() ? plug : Node::kNone;
}

std::string DescribePlug(const char* name, uint32_t index) {
    return Quote(name) + (index == 0 ? "" : " #" + std::to_string(index));
}

void ReadConnection(const TiXmlElement& element, const std::vector<LoadedNode>& loaded,
                    const std::unordered_map<int, size_t>& by_id,
                    const std::unordered_set<int>& skipped, NodeGraph::ProjectReadCallback callback,
                    std::vector<std::string>& problems) {
    int from_id = 0;
    int to_id = 0;
    uint32_t from_index = 0;
    uint32_t to_index = 0;
    const char* outplug = element.Attribute("outplug");
    const char* inplug = element.Attribute("inplug");
    const char* from_index_text = element.Attribute("from_index");
    const char* to_index_text = element.Attribute("to_index");
    if (!ParseNumber(element.Attribute("from"), from_id) ||
        !ParseNumber(element.Attribute("to"), to_id) || !outplug || !inplug ||
        (from_index_text && !ParseNumber(from_index_text, from_index)) ||
        (to_index_text && !ParseNumber(to_index_text, to_index))) {
        problems.push_back("a connection with missing or unreadable attributes is skipped");
        return;
    }
    // The problem of a skipped node has been reported with the node.
    if (skipped.count(from_id) || skipped.count(to_id)) {
        return;
    }
    const auto text = [&] {
        return "connection from node " + std::to_string(from_id) + " " +
               DescribePlug(outplug, from_index) + " to node " + std::to_string(to_id) + " " +
               DescribePlug(inplug, to_index);
    };
    const auto from = by_id.find(from_id);
    const auto to = by_id.find(to_id);
    if (from == by_id.end() || to == by_id.end()) {
        problems.push_back(text() + ": node " +
                           std::to_string(from == by_id.end() ? from_id : to_id) +
                           " does not exist");
        return;
    }
    const LoadedNode& source = loaded[from->second];
    const LoadedNode& target = loaded[to->second];
    const uint32_t outplug_id =
        ResolveOutplug(*source.m_node, outplug, from_index, source.m_version);
    const uint32_t inplug_id = ResolveInplug(*target.m_node, inplug, to_index, target.m_version);
    if (outplug_id == Node::kNone || inplug_id == Node::kNone) {
        problems.push_back(text() + ": the " + (outplug_id == Node::kNone ? "outplug" : "inplug") +
                           " does not exist");
        return;
    }
    if (source.m_node->GetOutplugValueType(outplug_id) !=
        target.m_node->GetInplugValueType(inplug_id)) {
        problems.push_back(text() + ": the plugs carry different value types");
        return;
    }
    if (!Engine::Get()->ConnectNodes(source.m_node, outplug_id, target.m_node, inplug_id)) {
        problems.push_back(text() + ": the connection cannot be made");
        return;
    }
    if (callback) {
        callback(source.m_node, target.m_node);
    }
}

}  // namespace

void ProjectReader::ReportProblem(const std::string& problem) {
    if (!t_active_reads.empty()) {
        t_active_reads.back().m_reported.push_back(problem);
    }
}

Status ProjectReader::Read(NodeGraph& graph, int /*minor*/, int /*major*/, TiXmlElement* root,
                           NodeGraph::ProjectReadCallback callback) {
    if (!root) {
        return Status(StatusCode::Error, "The project has no content.");
    }
    const std::string key = ReadKey(graph.GetFilePath());
    if (!key.empty()) {
        for (const ActiveRead& read : t_active_reads) {
            if (read.m_path == key) {
                const std::string message =
                    "The project includes itself: " + fs::path(key).filename().string() + ".";
                for (ActiveRead& enclosing : t_active_reads) {
                    if (enclosing.m_self_inclusion.empty()) {
                        enclosing.m_self_inclusion = message;
                    }
                }
                return Status(StatusCode::Error, message);
            }
        }
    }
    ActiveReadScope scope(key);

    std::vector<std::string> problems;
    std::vector<LoadedNode> loaded;
    std::unordered_map<int, size_t> by_id;
    std::unordered_set<int> skipped;
    for (const TiXmlElement* element = root->FirstChildElement("Node"); element;
         element = element->NextSiblingElement("Node")) {
        int id = 0;
        if (!ParseNumber(element->Attribute("id"), id)) {
            const char* name = element->Attribute("name");
            problems.push_back("a node without a readable id" +
                               (name ? " (" + Quote(name) + ")" : std::string()) + " is skipped");
            continue;
        }
        if (by_id.count(id) || skipped.count(id)) {
            problems.push_back("node id " + std::to_string(id) +
                               " is used twice; the later node is skipped");
            continue;
        }
        uint32_t version = 0;
        if (Node* node = ReadNode(graph, *element, id, version, problems)) {
            by_id.emplace(id, loaded.size());
            loaded.push_back({node, id, version});
        } else {
            skipped.insert(id);
        }
    }

    for (const LoadedNode& node : loaded) {
        const auto node_text = [&] { return DescribeNode(node.m_id, node.m_node->GetName()); };
        const Status before = node.m_node->PreLoad();
        if (!before.IsOk()) {
            problems.push_back(node_text() + ": " + DescribeStatus(before, "PreLoad"));
        }
        const Status after = node.m_node->PostLoad(node.m_version);
        for (const std::string& reported : scope.TakeReported()) {
            problems.push_back(node_text() + ": " + reported);
        }
        if (!after.IsOk()) {
            problems.push_back(node_text() + ": " + DescribeStatus(after, "PostLoad"));
        }
    }

    for (const TiXmlElement* element = root->FirstChildElement("Connection"); element;
         element = element->NextSiblingElement("Connection")) {
        ReadConnection(*element, loaded, by_id, skipped, callback, problems);
    }

    Status status;
    for (const std::string& problem : problems) {
        status.Merge(Status(StatusCode::Warning, problem));
    }
    if (!scope.GetSelfInclusion().empty()) {
        // The message stays the refusal alone; what was skipped on the way is its reason.
        return Status(StatusCode::Error, scope.GetSelfInclusion(), status.GetMessage());
    }
    return status;
}
