#include "interfaces/MaterialIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"

MaterialIoNodeFactory::MaterialIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kMaterialIoType, ProjectNodeTypes::kMaterialIoName) {}

Node* MaterialIoNodeFactory::CreateNode() {
    // Makes nothing until the MaterialIoNode class arrives.
    return nullptr;
}
