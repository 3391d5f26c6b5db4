#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"

// Publishes a project type, with the Node Graph type's icons and display mode.
class ProjectFileNodeInterface : public NodeInterface {
public:
    ProjectFileNodeInterface(NodeFactory* factory, const NodeInterface* node_graph_interface);
    NodeFactory* GetFactory() const override;
    std::string GetName() const override;
    NodeType GetNodeType() const override;
    // "Project Files".
    std::string GetCategory() const override;
    std::string GetIconPath() const override;
    std::string GetSmallIconPath() const override;
    std::string GetDisplayMode() const override;

private:
    RefPtr<NodeFactory> m_factory;
    std::string m_icon_path;
    std::string m_small_icon_path;
    std::string m_display_mode;
};
