#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialSwitchNode type to the host.
class MaterialSwitchNodeInterface : public ProjectNodeInterface {
public:
    MaterialSwitchNodeInterface();
    // The host's standard panel, for a node of any class.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
