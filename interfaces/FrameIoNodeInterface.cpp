#include "interfaces/FrameIoNodeInterface.h"

#include "interfaces/FrameIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"

FrameIoNodeInterface::FrameIoNodeInterface()
    : ProjectNodeInterface(new FrameIoNodeFactory, ProjectNodeTypes::kFrameIoName,
                           ProjectNodeTypes::kFrameIoType, "FrameIO", "mask") {}
