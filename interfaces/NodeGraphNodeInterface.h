#pragma once

#include <QPointer>

#include "interfaces/ProjectNodeInterface.h"

class QNodeAttributesWidget;

// Describes the NodeGraphNode type to the host and builds its panel: the host's standard panel
// with the project file chooser and re-read actions on "path". GUI thread only.
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
    // Not owned: the host owns the panel, and QPointer forgets it when the host deletes it.
    QPointer<QNodeAttributesWidget> m_panel;
};
