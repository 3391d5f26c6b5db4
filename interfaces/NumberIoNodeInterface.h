#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the NumberIoNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class NumberIoNodeInterface : public ProjectNodeInterface {
public:
    NumberIoNodeInterface();
};
