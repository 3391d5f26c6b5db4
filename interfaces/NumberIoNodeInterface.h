#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the NumberIoNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until NumberIoNode arrives.
class NumberIoNodeInterface : public ProjectNodeInterface {
public:
    NumberIoNodeInterface();
};
