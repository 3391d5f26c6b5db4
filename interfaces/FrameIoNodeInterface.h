#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the FrameIoNode type to the host.
class FrameIoNodeInterface : public ProjectNodeInterface {
public:
    FrameIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
