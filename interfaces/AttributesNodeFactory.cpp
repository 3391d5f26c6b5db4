#include "interfaces/AttributesNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/attributes/AttributesNode.h"

AttributesNodeFactory::AttributesNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kAttributesType, ProjectNodeTypes::kAttributesName) {}

Node* AttributesNodeFactory::CreateNode() {
    return new AttributesNode;
}
