#pragma once

#include <string>

#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/NodeType.h"
#include "host/RefPtr.h"

// Base of the library's node interfaces: category "Project", the icons compiled in under
// ":/Project/Resources/Icons/", and the table values a subclass passes in. Owns its factory, so
// destroying the interface destroys the factory.
class ProjectNodeInterface : public NodeInterface {
public:
    // Null for the types that the library does not publish.
    NodeFactory* GetFactory() const override;
    std::string GetName() const override;
    NodeType GetNodeType() const override;
    std::string GetCategory() const override;
    std::string GetIconPath() const override;
    std::string GetSmallIconPath() const override;
    std::string GetDisplayMode() const override;

protected:
    // `name` and `type` must outlive the interface (the library's constants do). `icon` names the
    // resource pair "<icon>.png" and "<icon>12.png". An empty `display_mode` keeps the host's
    // default.
    ProjectNodeInterface(NodeFactory* factory, const std::string& name, const NodeType& type,
                         std::string icon, std::string display_mode);

    // The host's standard attribute panel for `node`, without display options; null when `node`
    // is null or `extra` is not zero.
    QWidget* CreateHostPanel(Node* node, QWidget* parent, intptr_t extra);

private:
    RefPtr<NodeFactory> m_factory;
    const std::string& m_name;
    const NodeType& m_type;
    std::string m_icon;
    std::string m_display_mode;
};
