#include "interfaces/ImageSwitchNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/control/ImageSwitchNode.h"

ImageSwitchNodeFactory::ImageSwitchNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kImageSwitchType, ProjectNodeTypes::kImageSwitchName) {}

Node* ImageSwitchNodeFactory::CreateNode() {
    return new ImageSwitchNode;
}
