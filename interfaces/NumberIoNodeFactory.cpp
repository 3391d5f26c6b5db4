#include "interfaces/NumberIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"

NumberIoNodeFactory::NumberIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kNumberIoType, ProjectNodeTypes::kNumberIoName) {}

Node* NumberIoNodeFactory::CreateNode() {
    // Makes nothing until the NumberIoNode class arrives.
    return nullptr;
}
