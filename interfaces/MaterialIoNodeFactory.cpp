#include "interfaces/MaterialIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/MaterialIoNode.h"

MaterialIoNodeFactory::MaterialIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kMaterialIoType, ProjectNodeTypes::kMaterialIoName) {}

Node* MaterialIoNodeFactory::CreateNode() {
    return new MaterialIoNode;
}
