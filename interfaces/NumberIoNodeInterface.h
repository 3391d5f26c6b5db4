#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the NumberIoNode type to the host.
class NumberIoNodeInterface : public ProjectNodeInterface {
public:
    NumberIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
