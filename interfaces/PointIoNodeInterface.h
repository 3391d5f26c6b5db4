#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the PointIoNode type to the host.
class PointIoNodeInterface : public ProjectNodeInterface {
public:
    PointIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
