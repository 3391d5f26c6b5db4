#include "interfaces/ProjectNodeInterface.h"

#include <utility>

#include "host/QNodeAttributesWidget.h"

namespace {
const char* const kIconFolder = ":/Project/Resources/Icons/";
}  // namespace

ProjectNodeInterface::ProjectNodeInterface(NodeFactory* factory, const std::string& name,
                                           const NodeType& type, std::string icon,
                                           std::string display_mode)
    : m_factory(factory),
      m_name(name),
      m_type(type),
      m_icon(std::move(icon)),
      m_display_mode(std::move(display_mode)) {}

NodeFactory* ProjectNodeInterface::GetFactory() const {
    return m_factory.Get();
}

std::string ProjectNodeInterface::GetName() const {
    return m_name;
}

NodeType ProjectNodeInterface::GetNodeType() const {
    return m_type;
}

std::string ProjectNodeInterface::GetCategory() const {
    return "Project";
}

std::string ProjectNodeInterface::GetIconPath() const {
    return kIconFolder + m_icon + ".png";
}

std::string ProjectNodeInterface::GetSmallIconPath() const {
    return kIconFolder + m_icon + "12.png";
}

std::string ProjectNodeInterface::GetDisplayMode() const {
    return m_display_mode.empty() ? NodeInterface::GetDisplayMode() : m_display_mode;
}

QWidget* ProjectNodeInterface::CreateHostPanel(Node* node, QWidget* parent, intptr_t extra) {
    if (!node || extra != 0) {
        return nullptr;
    }
    return new QNodeAttributesWidget(parent, node, this, nullptr, false);
}
