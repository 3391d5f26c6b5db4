#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the AttributesNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until AttributesNode with
// QAttributesWidget arrives.
class AttributesNodeInterface : public ProjectNodeInterface {
public:
    AttributesNodeInterface();
};
