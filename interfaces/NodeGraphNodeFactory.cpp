#include "interfaces/NodeGraphNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/graph/NodeGraphNode.h"

NodeGraphNodeFactory::NodeGraphNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kNodeGraphType, ProjectNodeTypes::kNodeGraphName) {}

Node* NodeGraphNodeFactory::CreateNode() {
    return new NodeGraphNode();
}
