#include "interfaces/ImageIoNodeInterface.h"

#include "interfaces/ImageIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/io/ImageIoNode.h"

ImageIoNodeInterface::ImageIoNodeInterface()
    : ProjectNodeInterface(new ImageIoNodeFactory, ProjectNodeTypes::kImageIoName,
                           ProjectNodeTypes::kImageIoType, "ImageIO", "composition") {}

QWidget* ImageIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) {
    return CreateHostPanel(dynamic_cast<ImageIoNode*>(node), parent, extra);
}
