#include "interfaces/NumberIoNodeInterface.h"

#include "interfaces/NumberIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/io/NumberIoNode.h"

NumberIoNodeInterface::NumberIoNodeInterface()
    : ProjectNodeInterface(new NumberIoNodeFactory, ProjectNodeTypes::kNumberIoName,
                           ProjectNodeTypes::kNumberIoType, "NumberIO", "mask") {}

QWidget* NumberIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                       intptr_t extra) {
    return CreateHostPanel(dynamic_cast<NumberIoNode*>(node), parent, extra);
}
