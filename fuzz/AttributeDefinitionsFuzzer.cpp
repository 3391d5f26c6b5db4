// Has an Attributes node load arbitrary bytes as its definition file. A refused file must leave
// the node without attributes; an accepted one must survive a save and a second load with the
// same names, types and choices.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSandbox.h"
#include "host/Attribute.h"
#include "host/RefPtr.h"
#include "nodes/attributes/AttributesNode.h"

namespace {

std::vector<std::string> Describe(const Node& node) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < node.GetNumAttributes(); ++i) {
        const Attribute* attribute = node.GetAttributeByIndex(i);
        std::string line = attribute->GetName() + " " + attribute->GetTypeName();
        for (const std::string& choice : attribute->GetChoiceNames()) {
            line += " [" + choice + "]";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    sandbox.Enter();
    const std::string path = sandbox.WriteInput("definitions.xml", data, size);
    RefPtr<AttributesNode> node(new AttributesNode);
    if (!node->LoadDefinitions({path})) {
        FuzzSandbox::Check(node->GetNumAttributes() == 0, "a refused file added attributes");
        sandbox.Leave();
        return 0;
    }
    const std::vector<std::string> saved = node->SaveDefinitions(sandbox.GetFolder() / "saved");
    RefPtr<AttributesNode> again(new AttributesNode);
    FuzzSandbox::Check(saved.size() == 1 && again->LoadDefinitions(saved),
                       "the saved definitions do not load");
    FuzzSandbox::Check(Describe(*again) == Describe(*node),
                       "the definitions changed through a save and a load");
    sandbox.CheckClean();
    sandbox.Leave();
    return 0;
}
