#include "interfaces/PointIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"

PointIoNodeFactory::PointIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kPointIoType, ProjectNodeTypes::kPointIoName) {}

Node* PointIoNodeFactory::CreateNode() {
    // Makes nothing until the PointIoNode class arrives.
    return nullptr;
}
