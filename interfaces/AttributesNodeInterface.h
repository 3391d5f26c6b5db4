#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the AttributesNode type to the host.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class AttributesNodeInterface : public ProjectNodeInterface {
public:
    AttributesNodeInterface();
};
