#include "interfaces/ImageSwitchNodeFactory.h"

#include "library/ProjectNodeTypes.h"

ImageSwitchNodeFactory::ImageSwitchNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kImageSwitchType, ProjectNodeTypes::kImageSwitchName) {}

Node* ImageSwitchNodeFactory::CreateNode() {
    // Makes nothing until the ImageSwitchNode class arrives.
    return nullptr;
}
