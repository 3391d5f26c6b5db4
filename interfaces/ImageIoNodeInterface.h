#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageIoNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class ImageIoNodeInterface : public ProjectNodeInterface {
public:
    ImageIoNodeInterface();
};
