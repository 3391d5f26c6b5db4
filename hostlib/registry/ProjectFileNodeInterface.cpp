#include "hostlib/registry/ProjectFileNodeInterface.h"

ProjectFileNodeInterface::ProjectFileNodeInterface(NodeFactory* factory,
                                                   const NodeInterface* node_graph_interface)
    : m_factory(factory) {
    if (node_graph_interface) {
        m_icon_path = node_graph_interface->GetIconPath();
        m_small_icon_path = node_graph_interface->GetSmallIconPath();
        m_display_mode = node_graph_interface->GetDisplayMode();
    }
}

NodeFactory* ProjectFileNodeInterface::GetFactory() const {
    return m_factory.Get();
}

std::string ProjectFileNodeInterface::GetName() const {
    return m_factory->GetName();
}

NodeType ProjectFileNodeInterface::GetNodeType() const {
    return m_factory->GetNodeType();
}

std::string ProjectFileNodeInterface::GetCategory() const {
    return "Project Files";
}

std::string ProjectFileNodeInterface::GetIconPath() const {
    return m_icon_path;
}

std::string ProjectFileNodeInterface::GetSmallIconPath() const {
    return m_small_icon_path;
}

std::string ProjectFileNodeInterface::GetDisplayMode() const {
    return m_display_mode.empty() ? NodeInterface::GetDisplayMode() : m_display_mode;
}
