#include "interfaces/MaterialIoNodeInterface.h"

#include "interfaces/MaterialIoNodeFactory.h"
#include "library/ProjectNodeTypes.h"

MaterialIoNodeInterface::MaterialIoNodeInterface()
    : ProjectNodeInterface(new MaterialIoNodeFactory, ProjectNodeTypes::kMaterialIoName,
                           ProjectNodeTypes::kMaterialIoType, "MaterialIO", "composition") {}
