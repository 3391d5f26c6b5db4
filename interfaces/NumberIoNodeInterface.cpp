#include "interfaces/NumberIoNodeInterface.h"

#include "interfaces/NumberIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"

NumberIoNodeInterface::NumberIoNodeInterface()
    : ProjectNodeInterface(new NumberIoNodeFactory, ProjectNodeTypes::kNumberIoName,
                           ProjectNodeTypes::kNumberIoType, "NumberIO", "mask") {}
