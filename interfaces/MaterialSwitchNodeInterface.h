#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the MaterialSwitchNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class MaterialSwitchNodeInterface : public ProjectNodeInterface {
public:
    MaterialSwitchNodeInterface();
};
