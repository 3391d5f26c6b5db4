#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialIoNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class MaterialIoNodeInterface : public ProjectNodeInterface {
public:
    MaterialIoNodeInterface();
};
