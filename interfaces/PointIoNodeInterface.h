#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the PointIoNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class PointIoNodeInterface : public ProjectNodeInterface {
public:
    PointIoNodeInterface();
};
