#include "interfaces/RgboIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"

RgboIoNodeInterface::RgboIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kRgboIoName, ProjectNodeTypes::kRgboIoType,
                           "FrameIO", "") {}
