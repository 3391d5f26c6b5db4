#include "interfaces/NodeGraphNodeInterface.h"

#include "interfaces/NodeGraphNodeFactory.h"
#include "library/ProjectNodeTypes.h"

NodeGraphNodeInterface::NodeGraphNodeInterface()
    : ProjectNodeInterface(new NodeGraphNodeFactory, ProjectNodeTypes::kNodeGraphName,
                           ProjectNodeTypes::kNodeGraphType, "NodeGraph", "mask") {}
