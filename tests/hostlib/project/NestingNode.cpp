#include "NestingNode.h"

#include "host/Attribute.h"
#include "host/Helper.h"
#include "host/ProjectFile.h"

NestingNode::NestingNode() : DynamicNode(false) {
    m_attributes.push_back(new Attribute(this, 0, "path", ""));
    UpdateInplugsAndOutplugs();
}

void NestingNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>&) {}

Status NestingNode::PostLoad(uint32_t) {
    ++s_num_reads;
    m_inner_graph = new NodeGraph();
    m_inner_status = ProjectFile::Read(
        Helper::MakeProjectAbsolute(this, GetAttribute("path")->GetString()), *m_inner_graph);
    // Like a nested project node, the node itself loads fine whatever its project holds.
    return Status::Ok();
}
