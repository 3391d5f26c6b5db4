// Reads arbitrary bytes as "Project.xml" the way a project read does: the checked load, then the
// host's graph reader with every registered node type (the plug-in's included) and PostConnect.
// Every parsed document must nest no deeper than the pre-parse scan said, and the read must leave
// the working directory and the temporary folder as they were.
#include <tinyxml.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzSandbox.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"
#include "host/RefPtr.h"
#include "host/XmlFile.h"
#include "tests/hostlib/project/ElementDepth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    static const bool loaded = [] {
        PluginLoader::Get().LoadDefault();
        // A definition file that "definitions" attributes can name.
        const std::string definitions =
            "<QuillmarAttributesNode major=\"0\" minor=\"0\"><Attributes num_attributes=\"1\">"
            "<Attribute id=\"0\" name=\"gain\" type=\"NUMBER\" decimals=\"2\" default=\"1\" "
            "min=\"0\" max=\"10\" step=\"0.1\"/></Attributes></QuillmarAttributesNode>";
        sandbox.WriteInput("defs.xml", reinterpret_cast<const uint8_t*>(definitions.data()),
                           definitions.size());
        return true;
    }();
    (void)loaded;
    sandbox.Enter();
    const std::string path = sandbox.WriteInput("Project.xml", data, size);
    TiXmlDocument document(path);
    if (!XmlFile::Load(document, path)) {
        sandbox.Leave();
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    FuzzSandbox::Check(ElementDepth(document) <= XmlFile::MaxNestingDepth(text),
                       "the nesting scan under-counted");
    TiXmlElement* root = document.FirstChildElement("QuillmarProject");
    if (!root) {
        sandbox.Leave();
        return 0;
    }
    RefPtr<NodeGraph> graph(new NodeGraph);
    graph->SetFilePath(path);
    graph->ProjectRead(0, 1, root, nullptr);
    for (size_t index = 0; index < graph->GetNumNodes(); ++index) {
        graph->GetNode(index)->PostConnect({});
    }
    sandbox.CheckClean();
    sandbox.Leave();
    return 0;
}
