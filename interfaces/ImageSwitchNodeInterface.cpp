#include "interfaces/ImageSwitchNodeInterface.h"

#include "interfaces/ImageSwitchNodeFactory.h"
#include "library/ProjectNodeTypes.h"

ImageSwitchNodeInterface::ImageSwitchNodeInterface()
    : ProjectNodeInterface(new ImageSwitchNodeFactory, ProjectNodeTypes::kImageSwitchName,
                           ProjectNodeTypes::kImageSwitchType, "ImageSwitch", "") {}
