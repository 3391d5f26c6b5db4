#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the LoopIterationsNode type to the host.
class LoopIterationsNodeInterface : public ProjectNodeInterface {
public:
    LoopIterationsNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
