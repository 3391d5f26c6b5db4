#include "interfaces/FrameIoNodeInterface.h"

#include "interfaces/FrameIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/io/FrameIoNode.h"

FrameIoNodeInterface::FrameIoNodeInterface()
    : ProjectNodeInterface(new FrameIoNodeFactory, ProjectNodeTypes::kFrameIoName,
                           ProjectNodeTypes::kFrameIoType, "FrameIO", "mask") {}

QWidget* FrameIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) {
    return CreateHostPanel(dynamic_cast<FrameIoNode*>(node), parent, extra);
}
