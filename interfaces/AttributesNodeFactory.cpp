#include "interfaces/AttributesNodeFactory.h"

#include "library/ProjectNodeTypes.h"

AttributesNodeFactory::AttributesNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kAttributesType, ProjectNodeTypes::kAttributesName) {}

Node* AttributesNodeFactory::CreateNode() {
    // Makes nothing until the AttributesNode class arrives.
    return nullptr;
}
