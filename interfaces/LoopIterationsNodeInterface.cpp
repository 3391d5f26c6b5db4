#include "interfaces/LoopIterationsNodeInterface.h"

#include "interfaces/LoopIterationsNodeFactory.h"
#include "library/ProjectNodeTypes.h"

LoopIterationsNodeInterface::LoopIterationsNodeInterface()
    : ProjectNodeInterface(new LoopIterationsNodeFactory, ProjectNodeTypes::kLoopIterationsName,
                           ProjectNodeTypes::kLoopIterationsType, "LoopIterations", "mask") {}
