#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "SandboxTest.h"
#include "host/Attribute.h"
#include "host/Container.h"
#include "host/DynamicNode.h"
#include "host/NodeFactory.h"
#include "host/NodeGraph.h"
#include "host/NodeTypeRegistry.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"

namespace fs = std::filesystem;

namespace {

// A test node with an attribute of every type, same-named plugs, an expanding input and a version
// the test chooses. Number attributes added after construction are listed in a side file by
// SaveDefinitions and re-created by LoadDefinitions; saved values of unknown attributes named
// "kept_..." are kept as records. PostLoad fails or throws when the label says so.
class RecordingNode : public DynamicNode {
public:
    static NodeType Type() { return NodeType(900, 1, 1); }
    static constexpr size_t kNumFixed = 7;

    RecordingNode() : DynamicNode(false) {
        m_attributes = {Attribute::CreateBoolean(this, 0, "flag", false),
                        new Attribute(this, 1, "gain", 1.0, -1e9, 1e9, 0.1, 3),
                        Attribute::CreatePoint(this, 2, "offset", {0, 0}, -100, 100, 1, 2),
                        Attribute::CreateFrame(this, 3, "area", {0, 0, 1, 1}),
                        Attribute::CreateRgbo(this, 4, "tint", {1, 1, 1, 1}),
                        new Attribute(this, 5, "mode", 0, "add,multiply,screen"),
                        new Attribute(this, 6, "label", "")};
        m_inplug_declarations = {{0, Value::Number, "in", 0, 0},
                                 {1, Value::Number, "in", 0, 0},
                                 {2, Value::Number, "layer", 0, 1}};
        m_outplug_declarations = {{0, Value::Number, "out", 0},
                                  {1, Value::Number, "out", 0},
                                  {2, Value::String, "text", 0}};
        UpdateInplugsAndOutplugs();
    }

    NodeType GetNodeType() const override { return Type(); }
    std::string GetTypeName() const override { return "Recording"; }
    uint32_t GetVersion() const override { return m_version; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    bool StoreRecord(int kind, const char* a, const char* b, const char* c,
                     const char* d) override {
        if (kind != 1 || !std::string(a).starts_with("kept_")) {
            return false;
        }
        m_loaded_records.push_back({a, b, c, d});
        return true;
    }
    uint32_t V0GetOutplugIndex(const std::string& name) const override {
        return name == "old_out" ? FindOutplug("out") : DynamicNode::V0GetOutplugIndex(name);
    }
    std::vector<std::string> SaveDefinitions(const std::string& base_path) override {
        if (GetNumAttributes() == kNumFixed) {
            return {};
        }
        std::ofstream file(m_lose_side_file ? std::string() : base_path + ".txt");
        for (size_t a = kNumFixed; a < GetNumAttributes(); ++a) {
            file << GetAttributeByIndex(a)->GetName() << '\n';
        }
        return {base_path + ".txt"};
    }
    bool LoadDefinitions(const std::vector<std::string>& files) override {
        std::ifstream file(files.size() == 1 ? files[0] : std::string());
        for (std::string name; std::getline(file, name);) {
            AddExtra(name);
        }
        return bool(file.is_open());
    }
    Status PostLoad(uint32_t version) override {
        m_loaded_version = version;
        m_attributes_at_post_load = GetNumAttributes();
        const std::string& label = GetAttribute("label")->GetString();
        if (label == "fail post load") {
            return Status(StatusCode::Error, "post load failed on purpose");
        }
        if (label == "throw in post load") {
            throw std::runtime_error("thrown on purpose");
        }
        return Status::Ok();
    }
    // A number attribute that only the side file brings back.
    void AddExtra(const std::string& name) { AddNumberAttribute(name, 0.0, -1e9, 1e9, 1.0, 2); }

    using DynamicNode::m_loaded_records;
    uint32_t m_version = 0;
    bool m_lose_side_file = false;  // SaveDefinitions names its side file without writing it
    uint32_t m_loaded_version = 0;
    size_t m_attributes_at_post_load = 0;
};

class RecordingNodeFactory : public NodeFactory {
public:
    NodeType GetNodeType() const override { return RecordingNode::Type(); }
    Node* CreateNode() override { return new RecordingNode(); }
    std::string GetName() const override { return "Recording"; }
};

// Everything a save must keep, numbers to the last bit.
std::string Describe(const NodeGraph& graph) {
    std::ostringstream text;
    text << std::hexfloat;
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        const Node& node = *graph.GetNode(index);
        text << node.GetNodeType().ToString() << " '" << node.GetName() << "' " << node.IsActive()
             << '\n';
        for (size_t a = 0; a < node.GetNumAttributes(); ++a) {
            const Attribute& attribute = *node.GetAttributeByIndex(a);
            const Frame raw = attribute.GetFrame();
            text << attribute.GetName() << ' ' << attribute.GetTypeName() << " '"
                 << attribute.GetValueText() << "' " << raw.x << ' ' << raw.y << ' ' << raw.width
                 << ' ' << raw.height << '\n';
        }
        for (uint32_t inplug = 0; inplug < node.GetNumInplugs(); ++inplug) {
            const Node* source = node.GetInplugNode(inplug);
            text << node.GetInplugName(inplug) << " <- "
                 << (source ? graph.IndexOf(source) : NodeGraph::kNone) << ':'
                 << node.GetInplugNodeOutplug(inplug) << '\n';
        }
    }
    return text.str();
}

RecordingNode* Recording(const NodeGraph& graph, size_t index) {
    return dynamic_cast<RecordingNode*>(graph.GetNode(index));
}

RefPtr<NodeGraph> Read(const std::string& path, Status& status) {
    RefPtr<NodeGraph> graph = new NodeGraph();
    status = ProjectFile::Read(path, *graph);
    return graph;
}

// Runs in its own folder, where the project files are made.
class ProjectFileTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        static const bool registered = NodeTypeRegistry::Get().RegisterUnpublished(
            new RecordingNodeFactory(), "project_tests");
        ASSERT_TRUE(registered);
    }

    // Packs the files (name, content) into a project file.
    static std::string Pack(const std::string& name,
                            const std::vector<std::pair<std::string, std::string>>& files) {
        std::vector<std::string> names;
        for (const auto& [file, content] : files) {
            fs::create_directories(fs::path(name + ".content/" + file).parent_path());
            WriteText(name + ".content/" + file, content);
            names.push_back(file);
        }
        std::string error;
        EXPECT_TRUE(CompressFiles(name + ".content", names, name, error)) << error;
        return name;
    }
};

TEST_F(ProjectFileTest, GraphWrittenAndReadBackIsTheSame) {
    // Every attribute type, a side file, versions, same-named plugs on both ends and the expanding
    // input grown to three plugs.
    RefPtr<NodeGraph> graph = new NodeGraph();
    for (const char* name : {"first", "second", ""}) {
        graph->CreateNode(RecordingNode::Type())->SetName(name);
    }
    RecordingNode* first = Recording(*graph, 0);
    RecordingNode* second = Recording(*graph, 1);
    first->SetActive(false);
    first->GetAttribute("flag")->SetBoolean(true, false);
    first->GetAttribute("gain")->SetNumber(0.1 + 0.2, false);
    first->GetAttribute("offset")->SetPoint({1.5, -2.25}, false);
    first->GetAttribute("area")->SetFrame({0.125, 1e-300, 3, -4e20}, false);
    first->GetAttribute("tint")->SetRgbo({0.2, 0.4, 0.6, 0.8}, false);
    ASSERT_TRUE(first->GetAttribute("mode")->SetChoice("screen", false));
    first->GetAttribute("label")->SetString(" a \"quoted\" <b>&amp;</b>\n\ttabbed 'é' ", false);
    first->AddExtra("extra_a");
    first->GetAttribute("extra_a")->SetNumber(42.5, false);
    second->m_version = 3;
    second->GetAttribute("gain")->SetNumber(-1.0 / 3.0, false);
    ASSERT_TRUE(graph->ConnectNodes(first, "out", 1, second, "in", 1));
    ASSERT_TRUE(graph->ConnectNodes(first, "out", 0, second, "in", 0));
    ASSERT_TRUE(graph->ConnectNodes(first, "out", 1, second, "layer", 0));
    ASSERT_TRUE(graph->ConnectNodes(first, "out", 0, second, "layer", 1));
    ASSERT_TRUE(graph->ConnectNodes(second, "out", 1, graph->GetNode(2), "gain", 0));
    ASSERT_TRUE(graph->ConnectNodes(second, "text", 0, graph->GetNode(2), "label", 0));
    ASSERT_EQ(second->FindInplug("layer", 2), second->GetNumInplugs() - 1);

    Status status = ProjectFile::Write(*graph, "graph.qmr");
    ASSERT_EQ(status.GetCode(), 0) << status.GetMessage();
    RefPtr<NodeGraph> read = Read("graph.qmr", status);
    EXPECT_EQ(fs::current_path(), m_folder);
    EXPECT_EQ(status.GetCode(), 0) << status.GetMessage();
    ASSERT_EQ(Describe(*read), Describe(*graph));
    EXPECT_EQ(fs::path(read->GetFilePath()), m_folder / "graph.qmr");
    // The side file came back before the values were applied (or its value would be reported)
    // and before PostLoad.
    EXPECT_EQ(Recording(*read, 0)->m_attributes_at_post_load, 8u);
    EXPECT_EQ(Recording(*read, 0)->m_loaded_version, 0u);
    EXPECT_EQ(Recording(*read, 1)->m_loaded_version, 3u);

    // A failed write keeps the existing file.
    const std::string before = ReadText("graph.qmr");
    first->m_lose_side_file = true;
    first->SetName("changed");
    status = ProjectFile::Write(*graph, "graph.qmr");
    EXPECT_EQ(status.GetCode(), 2);
    EXPECT_NE(status.GetMessage().find("was not written"), std::string::npos)
        << status.GetMessage();
    EXPECT_EQ(ReadText("graph.qmr"), before);
    first->m_lose_side_file = false;
    EXPECT_EQ(ProjectFile::Write(*graph, "absent/graph.qmr").GetCode(), 2);
    EXPECT_FALSE(fs::exists("absent"));
}

TEST_F(ProjectFileTest, RecoverableProblemsAreNamedOnceAndTheRestIsRead) {
    const std::string xml = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="7">
    <FutureElement meaning="ignored" />
    <Node id="10" type="900,1,1" name="good" definitions="sub/good.txt">
        <Value name="gain" type="NUMBER" value="2.5" />
        <Value name="extra_a" type="NUMBER" value="7" />
        <Value name="kept_later" type="STRING" value="for later" />
    </Node>
    <Node id="3" type="900,1,1" name="faulty" active="0x" definitions="missing.txt">
        <Value name="gain" type="POINT" value="1,2" />
        <Value name="offset" type="POINT" value="1;2" />
        <Value name="mystery" type="NUMBER" value="1" />
        <Value name="mode" type="COLOR" value="red" />
        <Value name="label" type="STRING" value="fail post load" />
    </Node>
    <Node id="4" type="999,9,9" name="unknown">
        <Value name="gain" type="NUMBER" value="1" />
    </Node>
    <Node id="5" type="abc" name="untyped" />
    <Node id="10" type="900,1,1" name="duplicate" />
    <Node id="4" type="900,1,1" name="duplicate of skipped" />
    <Node id="6" type="900,1,1" name="escaping" definitions="../outside.txt" />
    <Node id="7" type="900,1,1" name="old" />
    <Node id="8" type="900,1,1" name="new" version="2" />
    <Connection from="10" outplug="out" to="3" inplug="in" to_index="1" />
    <Connection from="7" outplug="old_out" to="10" inplug="in" />
    <Connection from="8" outplug="old_out" to="10" inplug="layer" />
    <Connection from="4" outplug="out" to="10" inplug="in" />
    <Connection from="42" outplug="out" to="10" inplug="in" />
    <Connection from="10" outplug="out" to="3" inplug="nope" />
    <Connection from="10" outplug="text" to="3" inplug="gain" />
    <Connection from="10" outplug="out" to="3" to_index="x" />
</QuillmarProject>
)";
    Status status;
    RefPtr<NodeGraph> graph =
        Read(Pack("problems.qmr", {{"Project.xml", xml}, {"sub/good.txt", "extra_a\n"}}), status);
    EXPECT_EQ(status.GetCode(), 1);
    const std::vector<std::string> expected = {
        "node 3 (\"faulty\"): unreadable active flag \"0x\"",
        "node 3 (\"faulty\"): cannot load the definitions file \"missing.txt\"",
        "node 3 (\"faulty\"), value \"gain\": saved as POINT but the attribute is NUMBER",
        "node 3 (\"faulty\"), value \"offset\": unreadable POINT text \"1;2\"",
        "node 3 (\"faulty\"), value \"mystery\": value of unknown attribute",
        "node 3 (\"faulty\"), value \"mode\": unknown type \"COLOR\"",
        "node 4 (\"unknown\"): unknown node type 999,9,9",
        "node 5 (\"untyped\"): unreadable node type \"abc\"",
        "node id 10 is used twice",
        "node id 4 is used twice",
        "node 6 (\"escaping\"): definitions file \"../outside.txt\" lies outside the project",
        "node 3 (\"faulty\"): post load failed on purpose",
        "connection from node 8 \"old_out\" to node 10 \"layer\": the outplug does not exist",
        "connection from node 42 \"out\" to node 10 \"in\": node 42 does not exist",
        "connection from node 10 \"out\" to node 3 \"nope\": the inplug does not exist",
        "connection from node 10 \"text\" to node 3 \"gain\": the plugs carry different value "
        "types",
        "a connection with missing or unreadable attributes is skipped",
    };
    // In reading order, each once.
    std::istringstream message(status.GetMessage());
    for (const std::string& problem : expected) {
        std::string line;
        std::getline(message, line);
        EXPECT_NE(line.find(problem), std::string::npos) << problem << "\nin:\n"
                                                         << status.GetMessage();
    }
    EXPECT_TRUE(message.eof()) << status.GetMessage();

    ASSERT_EQ(graph->GetNumNodes(), 5u);
    RecordingNode* good = Recording(*graph, 0);
    RecordingNode* faulty = Recording(*graph, 1);
    EXPECT_EQ(good->GetName() + faulty->GetName() + graph->GetNode(2)->GetName(),
              "goodfaultyescaping");
    // Definitions come before values; a value of the wrong type changes nothing.
    EXPECT_EQ(good->GetAttribute("extra_a")->GetNumber(), 7.0);
    ASSERT_EQ(good->m_loaded_records.size(), 1u);
    const DynamicNode::AttributeRecord& record = good->m_loaded_records[0];
    EXPECT_EQ(std::tie(record.m_name, record.m_type_word, record.m_value),
              std::make_tuple("kept_later", "STRING", "for later"));
    EXPECT_EQ(faulty->GetAttribute("gain")->GetNumber(), 1.0);
    EXPECT_TRUE(faulty->IsActive());
    // "old_out" of a version-0 node stands for "out"; nothing else got connected.
    const Node* old = graph->FindNode("old");
    EXPECT_EQ(faulty->GetInplugNode(faulty->FindInplug("in", 1)), good);
    EXPECT_EQ(good->GetInplugNode(good->FindInplug("in", 0)), old);
    EXPECT_EQ(good->GetInplugNodeOutplug(good->FindInplug("in", 0)), old->FindOutplug("out"));
    EXPECT_EQ(good->GetNumConnectedToInplug() + faulty->GetNumConnectedToInplug(), 2u);
}

TEST_F(ProjectFileTest, FilesThatAreNotProjectsAreRefusedCleanly) {
    // Temporary folders of the reads go here, to see that none is left behind.
    const fs::path temporary = m_folder / "tmp";
    fs::create_directory(temporary);
    const std::string saved_tmpdir = ::getenv("TMPDIR") ? ::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temporary.c_str(), 1);

    // Deep enough to overflow TinyXML's recursive parser.
    std::string deep_nesting;
    for (int i = 0; i < 100000; ++i) {
        deep_nesting += "<Node>";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"absent.qmr", "absent.qmr"},
        {Pack("empty.qmr", {{"Other.xml", "<x/>"}}), "Project.xml"},
        {Pack("broken.qmr", {{"Project.xml", "<QuillmarProject major=\"1\""}}), "Project.xml"},
        {Pack("other.qmr", {{"Project.xml", "<Other major=\"1\" minor=\"0\"/>"}}),
         "no QuillmarProject element"},
        {Pack("nomajor.qmr", {{"Project.xml", "<QuillmarProject minor=\"0\"/>"}}), "\"major\""},
        {Pack("badminor.qmr", {{"Project.xml", "<QuillmarProject major=\"1\" minor=\"x\"/>"}}),
         "\"minor\""},
        {Pack("deep.qmr",
              {{"Project.xml", "<QuillmarProject major=\"1\" minor=\"0\">" + deep_nesting}}),
         "nested deeper than 256 levels"},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        Status status;
        EXPECT_EQ(Read(path, status)->GetNumNodes(), 0u);
        EXPECT_EQ(status.GetCode(), 2);
        EXPECT_NE(status.GetMessage().find(reason), std::string::npos) << status.GetMessage();
        EXPECT_EQ(fs::current_path(), m_folder);
        EXPECT_TRUE(fs::is_empty(temporary));
    }

    // Any pair of integer versions is read.
    Status status;
    Read(Pack("odd.qmr", {{"Project.xml", "<QuillmarProject major=\"-3\" minor=\"12\"/>"}}),
         status);
    EXPECT_EQ(status.GetCode(), 0);
    EXPECT_TRUE(fs::is_empty(temporary));
    // A node that throws while the project is read leaves nothing behind either.
    const std::string throwing = Pack("throwing.qmr", {{"Project.xml", R"(
<QuillmarProject major="1" minor="0">
    <Node id="0" type="900,1,1"><Value name="label" type="STRING" value="throw in post load"/></Node>
</QuillmarProject>)"}});
    EXPECT_THROW(Read(throwing, status), std::runtime_error);
    EXPECT_EQ(fs::current_path(), m_folder);
    EXPECT_TRUE(fs::is_empty(temporary));

    saved_tmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
}

}  // namespace
