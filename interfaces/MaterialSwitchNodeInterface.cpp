#include "interfaces/MaterialSwitchNodeInterface.h"

#include "interfaces/MaterialSwitchNodeFactory.h"
#include "library/ProjectNodeTypes.h"

MaterialSwitchNodeInterface::MaterialSwitchNodeInterface()
    : ProjectNodeInterface(new MaterialSwitchNodeFactory, ProjectNodeTypes::kMaterialSwitchName,
                           ProjectNodeTypes::kMaterialSwitchType, "MaterialSwitch", "") {}

QWidget* MaterialSwitchNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                             intptr_t extra) {
    return CreateHostPanel(node, parent, extra);
}
