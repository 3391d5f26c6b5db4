#include "interfaces/PointIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/PointIoNode.h"

PointIoNodeFactory::PointIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kPointIoType, ProjectNodeTypes::kPointIoName) {}

Node* PointIoNodeFactory::CreateNode() {
    return new PointIoNode;
}
