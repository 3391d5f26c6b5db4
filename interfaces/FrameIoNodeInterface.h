#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the FrameIoNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until FrameIoNode arrives.
class FrameIoNodeInterface : public ProjectNodeInterface {
public:
    FrameIoNodeInterface();
};
