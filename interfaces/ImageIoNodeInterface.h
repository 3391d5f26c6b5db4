#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the ImageIoNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until ImageIoNode arrives.
class ImageIoNodeInterface : public ProjectNodeInterface {
public:
    ImageIoNodeInterface();
};
