#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialSwitchNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until MaterialSwitchNode arrives.
class MaterialSwitchNodeInterface : public ProjectNodeInterface {
public:
    MaterialSwitchNodeInterface();
};
