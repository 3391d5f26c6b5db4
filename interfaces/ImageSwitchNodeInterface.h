#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageSwitchNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class ImageSwitchNodeInterface : public ProjectNodeInterface {
public:
    ImageSwitchNodeInterface();
};
