#include "interfaces/MaterialSwitchNodeFactory.h"

#include "library/ProjectNodeTypes.h"

MaterialSwitchNodeFactory::MaterialSwitchNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kMaterialSwitchType,
                         ProjectNodeTypes::kMaterialSwitchName) {}

Node* MaterialSwitchNodeFactory::CreateNode() {
    // Makes nothing until the MaterialSwitchNode class arrives.
    return nullptr;
}
