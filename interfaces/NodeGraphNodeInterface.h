#pragma once

#include <string>

#include <QPointer>

#include "interfaces/ProjectNodeInterface.h"

class NodeGraphNode;
class QNodeAttributesWidget;

// Describes the NodeGraphNode type to the host and builds its panel: the host's standard panel
// with the project file chooser and re-read actions on "path", and a path field that reads the
// typed project when editing ends. GUI thread only.
class NodeGraphNodeInterface : public ProjectNodeInterface {
public:
    NodeGraphNodeInterface();

    // Null for a node of another class or a non-zero `extra`. The panel built last is the parent of
    // the handlers' dialogs.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;

    // Asks for a project file and reads it; on success renames the node after the file and
    // remembers its folder under "Projects". The panel stays disabled after a successful read (it
    // shows the previous project's attributes) and is enabled again after a failed one.
    void OnReadProjectFile(Node* node, unsigned attribute);
    // Reads the node's current project file again; the result is not shown.
    void OnRereadProjectFile(Node* node, unsigned attribute);

private:
    // Reads the project as the chooser does; on failure the panel is enabled again and a warning
    // says why. True when the read succeeded.
    bool ReadChosenFile(NodeGraphNode& node, const std::string& path);
    // A path typed into the field is read when editing ends (Enter or leaving the field); a failed
    // read puts the path of the project the node holds back.
    void ConnectPathField(QNodeAttributesWidget& panel, NodeGraphNode& node);

    // Not owned: the host owns the panel, and QPointer forgets it when the host deletes it.
    QPointer<QNodeAttributesWidget> m_panel;
};
