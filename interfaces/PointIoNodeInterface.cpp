#include "interfaces/PointIoNodeInterface.h"

#include "interfaces/PointIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"

PointIoNodeInterface::PointIoNodeInterface()
    : ProjectNodeInterface(new PointIoNodeFactory, ProjectNodeTypes::kPointIoName,
                           ProjectNodeTypes::kPointIoType, "PointIO", "mask") {}
