#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the PointIoNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until PointIoNode arrives.
class PointIoNodeInterface : public ProjectNodeInterface {
public:
    PointIoNodeInterface();
};
