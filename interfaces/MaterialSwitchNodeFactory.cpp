#include "interfaces/MaterialSwitchNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/control/MaterialSwitchNode.h"

MaterialSwitchNodeFactory::MaterialSwitchNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kMaterialSwitchType,
                         ProjectNodeTypes::kMaterialSwitchName) {}

Node* MaterialSwitchNodeFactory::CreateNode() {
    return new MaterialSwitchNode;
}
