#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageSwitchNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until ImageSwitchNode arrives.
class ImageSwitchNodeInterface : public ProjectNodeInterface {
public:
    ImageSwitchNodeInterface();
};
