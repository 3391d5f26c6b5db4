#include "interfaces/NumberIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/NumberIoNode.h"

NumberIoNodeFactory::NumberIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kNumberIoType, ProjectNodeTypes::kNumberIoName) {}

Node* NumberIoNodeFactory::CreateNode() {
    return new NumberIoNode;
}
