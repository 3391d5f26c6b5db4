#include "interfaces/MaterialIoNodeInterface.h"

#include "interfaces/MaterialIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/io/MaterialIoNode.h"

MaterialIoNodeInterface::MaterialIoNodeInterface()
    : ProjectNodeInterface(new MaterialIoNodeFactory, ProjectNodeTypes::kMaterialIoName,
                           ProjectNodeTypes::kMaterialIoType, "MaterialIO", "composition") {}

QWidget* MaterialIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                         intptr_t extra) {
    return CreateHostPanel(dynamic_cast<MaterialIoNode*>(node), parent, extra);
}
