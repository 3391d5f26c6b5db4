// Has a Node Graph node read arbitrary bytes as a project file. The node runs a good project
// first; every refused read must leave it exactly as it was, and every read must restore the
// working directory and remove its temporary folder.
#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSandbox.h"
#include "host/Attribute.h"
#include "host/Container.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/RefPtr.h"
#include "nodes/graph/NodeGraphNode.h"

namespace {

// A number input "x" added to an exposed "gain", on output "y".
constexpr char kGoodProject[] = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x"/>
    <Node id="1" type="10,1,0" name="params" definitions="defs.xml"/>
    <Node id="2" type="10,2,1" name="sum"/>
    <Node id="3" type="10,1,26" name="y"/>
    <Connection from="0" outplug="number" to="2" inplug="a"/>
    <Connection from="1" outplug="gain" to="2" inplug="b"/>
    <Connection from="2" outplug="number" to="3" inplug="number"/>
</QuillmarProject>
)";
constexpr char kGoodDefinitions[] = R"(<?xml version="1.0" ?>
<QuillmarAttributesNode major="0" minor="0">
    <Attributes num_attributes="1">
        <Attribute id="0" name="gain" type="NUMBER" decimals="2" default="1" min="0" max="10" step="0.1"/>
    </Attributes>
</QuillmarAttributesNode>
)";

// Everything of the node that a read could change.
std::vector<std::string> Describe(const NodeGraphNode& node) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < node.GetNumAttributes(); ++i) {
        const Attribute* attribute = node.GetAttributeByIndex(i);
        lines.push_back(attribute->GetName() + " " + attribute->GetTypeName() + " " +
                        attribute->GetValueText());
    }
    for (uint32_t i = 0; i < node.GetNumInplugs(); ++i) {
        lines.push_back("in " + node.GetInplugName(i));
    }
    for (uint32_t i = 0; i < node.GetNumOutplugs(); ++i) {
        lines.push_back("out " + node.GetOutplugName(i));
    }
    lines.push_back(node.GetInnerGraph() ? std::to_string(node.GetInnerGraph()->GetNumNodes())
                                         : "no graph");
    return lines;
}

std::string WriteGoodProject(const FuzzSandbox& sandbox) {
    const std::string folder = (sandbox.GetFolder() / "good").string();
    std::filesystem::create_directory(folder);
    TiXmlDocument project(folder + "/Project.xml");
    project.Parse(kGoodProject);
    project.SaveFile();
    TiXmlDocument definitions(folder + "/defs.xml");
    definitions.Parse(kGoodDefinitions);
    definitions.SaveFile();
    const std::string path = (sandbox.GetFolder() / "good.qmr").string();
    std::string error;
    FuzzSandbox::Check(CompressFiles(folder, {"Project.xml", "defs.xml"}, path, error), error);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    static const std::string good = [] {
        PluginLoader::Get().LoadDefault();
        SetContainerLimits({64, 1 << 20});
        return WriteGoodProject(sandbox);
    }();
    static RefPtr<NodeGraph> document(new NodeGraph);
    static NodeGraphNode* node = [] {
        auto* created = new NodeGraphNode;
        document->AddNode(created);
        return created;
    }();
    sandbox.Enter();
    if (!node->GetInnerGraph() || node->GetAttributeByIndex(0)->GetString() != good) {
        const Status status = node->ReadProject(good);
        FuzzSandbox::Check(status.IsOk(), "the good project does not read: " + status.GetMessage());
    }
    node->GetAttribute("gain")->SetNumber(4, false);
    const std::vector<std::string> before = Describe(*node);
    NodeGraph* inner = node->GetInnerGraph();

    const std::string path = sandbox.WriteInput("input.qmr", data, size);
    const Status status = node->ReadProject(path);
    sandbox.CheckClean();
    // Only a committed read takes the new path; anything else must leave the node alone.
    if (node->GetAttributeByIndex(0)->GetString() != path) {
        FuzzSandbox::Check(status.GetCode() == 2, "a read neither committed nor refused");
        FuzzSandbox::Check(node->GetInnerGraph() == inner && Describe(*node) == before,
                           "a refused read changed the node: " + status.GetMessage());
    }
    sandbox.Leave();
    return 0;
}
