#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the FrameIoNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class FrameIoNodeInterface : public ProjectNodeInterface {
public:
    FrameIoNodeInterface();
};
