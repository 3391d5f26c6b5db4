#include "interfaces/RgboIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/RgboIoNode.h"

RgboIoNodeInterface::RgboIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kRgboIoName, ProjectNodeTypes::kRgboIoType,
                           "FrameIO", "") {}

QWidget* RgboIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) {
    return CreateHostPanel(dynamic_cast<RgboIoNode*>(node), parent, extra);
}
