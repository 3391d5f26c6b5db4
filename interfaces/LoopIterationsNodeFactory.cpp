#include "interfaces/LoopIterationsNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/control/LoopIterationsNode.h"

LoopIterationsNodeFactory::LoopIterationsNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kLoopIterationsType,
                         ProjectNodeTypes::kLoopIterationsName) {}

Node* LoopIterationsNodeFactory::CreateNode() {
    return new LoopIterationsNode;
}
