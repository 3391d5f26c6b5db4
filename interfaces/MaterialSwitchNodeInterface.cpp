#include "interfaces/MaterialSwitchNodeInterface.h"

#include "interfaces/MaterialSwitchNodeFactory.h"
#include "library/ProjectNodeTypes.h"

MaterialSwitchNodeInterface::MaterialSwitchNodeInterface()
    : ProjectNodeInterface(new MaterialSwitchNodeFactory, ProjectNodeTypes::kMaterialSwitchName,
                           ProjectNodeTypes::kMaterialSwitchType, "MaterialSwitch", "") {}
