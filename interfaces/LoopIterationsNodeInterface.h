#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the LoopIterationsNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class LoopIterationsNodeInterface : public ProjectNodeInterface {
public:
    LoopIterationsNodeInterface();
};
