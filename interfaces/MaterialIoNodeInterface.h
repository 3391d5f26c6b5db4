#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialIoNode type to the host.
class MaterialIoNodeInterface : public ProjectNodeInterface {
public:
    MaterialIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
