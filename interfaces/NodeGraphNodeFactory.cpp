#include "interfaces/NodeGraphNodeFactory.h"

#include "library/ProjectNodeTypes.h"

NodeGraphNodeFactory::NodeGraphNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kNodeGraphType, ProjectNodeTypes::kNodeGraphName) {}

Node* NodeGraphNodeFactory::CreateNode() {
    // Makes nothing until the NodeGraphNode class arrives.
    return nullptr;
}
