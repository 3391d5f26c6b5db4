#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageSwitchNode type to the host.
class ImageSwitchNodeInterface : public ProjectNodeInterface {
public:
    ImageSwitchNodeInterface();
    // The host's standard panel, for a node of any class.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
