#include "interfaces/PointIoNodeInterface.h"

#include "interfaces/PointIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/io/PointIoNode.h"

PointIoNodeInterface::PointIoNodeInterface()
    : ProjectNodeInterface(new PointIoNodeFactory, ProjectNodeTypes::kPointIoName,
                           ProjectNodeTypes::kPointIoType, "PointIO", "mask") {}

QWidget* PointIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) {
    return CreateHostPanel(dynamic_cast<PointIoNode*>(node), parent, extra);
}
