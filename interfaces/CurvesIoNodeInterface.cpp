#include "interfaces/CurvesIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"

CurvesIoNodeInterface::CurvesIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kCurvesIoName,
                           ProjectNodeTypes::kCurvesIoType, "ImageIO", "") {}
