#include "interfaces/LoopIterationsNodeFactory.h"

#include "library/ProjectNodeTypes.h"

LoopIterationsNodeFactory::LoopIterationsNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kLoopIterationsType,
                         ProjectNodeTypes::kLoopIterationsName) {}

Node* LoopIterationsNodeFactory::CreateNode() {
    // Makes nothing until the LoopIterationsNode class arrives.
    return nullptr;
}
