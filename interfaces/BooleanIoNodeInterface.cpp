#include "interfaces/BooleanIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/BooleanIoNode.h"

BooleanIoNodeInterface::BooleanIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kBooleanIoName,
                           ProjectNodeTypes::kBooleanIoType, "NumberIO", "mask") {}

QWidget* BooleanIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                        intptr_t extra) {
    return CreateHostPanel(dynamic_cast<BooleanIoNode*>(node), parent, extra);
}
