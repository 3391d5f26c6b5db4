#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialIoNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until MaterialIoNode arrives.
class MaterialIoNodeInterface : public ProjectNodeInterface {
public:
    MaterialIoNodeInterface();
};
