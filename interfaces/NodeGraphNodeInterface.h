#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the NodeGraphNode type to the host.
// No panel yet: CreateAttributesWidget keeps the base (null) until NodeGraphNode with its panel
// arrives.
class NodeGraphNodeInterface : public ProjectNodeInterface {
public:
    NodeGraphNodeInterface();
};
