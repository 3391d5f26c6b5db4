#include "interfaces/BooleanIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"

BooleanIoNodeInterface::BooleanIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kBooleanIoName,
                           ProjectNodeTypes::kBooleanIoType, "NumberIO", "mask") {}
