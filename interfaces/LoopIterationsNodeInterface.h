#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the LoopIterationsNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until LoopIterationsNode arrives.
class LoopIterationsNodeInterface : public ProjectNodeInterface {
public:
    LoopIterationsNodeInterface();
};
