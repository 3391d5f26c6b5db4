#include "interfaces/ImageIoNodeInterface.h"

#include "interfaces/ImageIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"

ImageIoNodeInterface::ImageIoNodeInterface()
    : ProjectNodeInterface(new ImageIoNodeFactory, ProjectNodeTypes::kImageIoName,
                           ProjectNodeTypes::kImageIoType, "ImageIO", "composition") {}
