#include "interfaces/ImageSwitchNodeInterface.h"

#include "interfaces/ImageSwitchNodeFactory.h"
#include "library/ProjectNodeTypes.h"

ImageSwitchNodeInterface::ImageSwitchNodeInterface()
    : ProjectNodeInterface(new ImageSwitchNodeFactory, ProjectNodeTypes::kImageSwitchName,
                           ProjectNodeTypes::kImageSwitchType, "ImageSwitch", "") {}

QWidget* ImageSwitchNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                          intptr_t extra) {
    return CreateHostPanel(node, parent, extra);
}
