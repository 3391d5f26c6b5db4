#include "hostlib/stdnodes/StandardNodeLibrary.h"

#include "host/NodeTypeRegistry.h"
#include "hostlib/stdnodes/BlendNode.h"
#include "hostlib/stdnodes/BlurNode.h"
#include "hostlib/stdnodes/BooleanNode.h"
#include "hostlib/stdnodes/ColorNode.h"
#include "hostlib/stdnodes/CurveNode.h"
#include "hostlib/stdnodes/FrameNode.h"
#include "hostlib/stdnodes/ImageSizeNode.h"
#include "hostlib/stdnodes/MaterialImageNode.h"
#include "hostlib/stdnodes/MaterialNode.h"
#include "hostlib/stdnodes/MathNode.h"
#include "hostlib/stdnodes/NoiseNode.h"
#include "hostlib/stdnodes/NumberNode.h"
#include "hostlib/stdnodes/PointNode.h"
#include "hostlib/stdnodes/ReaderNode.h"
#include "hostlib/stdnodes/SolidNode.h"
#include "hostlib/stdnodes/StandardNodeFactory.h"
#include "hostlib/stdnodes/StandardNodeInterface.h"
#include "hostlib/stdnodes/TextNode.h"
#include "hostlib/stdnodes/WriterNode.h"

namespace {

struct TypeEntry {
    NodeType m_node_type;
    const char* m_name;
    const char* m_category;
    StandardNodeFactory::CreateFunction m_create;
};

template <typename NodeClass>
TypeEntry Entry(const char* category) {
    return {NodeClass::kNodeType, NodeClass::kTypeName, category,
            []() -> Node* { return new NodeClass; }};
}

}  // namespace

void StandardNodeLibrary::Register(NodeTypeRegistry& registry) {
    const TypeEntry entries[] = {
        Entry<NumberNode>("Value"),      Entry<MathNode>("Value"),
        Entry<PointNode>("Value"),       Entry<FrameNode>("Value"),
        Entry<ColorNode>("Value"),       Entry<BooleanNode>("Value"),
        Entry<TextNode>("Value"),        Entry<SolidNode>("Image"),
        Entry<NoiseNode>("Image"),       Entry<BlurNode>("Image"),
        Entry<BlendNode>("Image"),       Entry<ImageSizeNode>("Image"),
        Entry<MaterialNode>("Material"), Entry<MaterialImageNode>("Material"),
        Entry<CurveNode>("Curve"),       Entry<ReaderNode>("File"),
        Entry<WriterNode>("File"),
    };
    for (const TypeEntry& entry : entries) {
        RefPtr<NodeInterface> node_interface(new StandardNodeInterface(
            new StandardNodeFactory(entry.m_node_type, entry.m_name, entry.m_create),
            entry.m_category));
        registry.Register(node_interface.Get(), "libquillmar_host.so");
    }
}
