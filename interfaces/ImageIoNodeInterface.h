#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageIoNode type to the host.
class ImageIoNodeInterface : public ProjectNodeInterface {
public:
    ImageIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
