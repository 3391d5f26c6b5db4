#include "interfaces/AttributesNodeInterface.h"

#include "interfaces/AttributesNodeFactory.h"
#include "library/ProjectNodeTypes.h"

AttributesNodeInterface::AttributesNodeInterface()
    : ProjectNodeInterface(new AttributesNodeFactory, ProjectNodeTypes::kAttributesName,
                           ProjectNodeTypes::kAttributesType, "Attributes", "mask") {}
