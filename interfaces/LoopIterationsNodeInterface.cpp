#include "interfaces/LoopIterationsNodeInterface.h"

#include "interfaces/LoopIterationsNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/control/LoopIterationsNode.h"

LoopIterationsNodeInterface::LoopIterationsNodeInterface()
    : ProjectNodeInterface(new LoopIterationsNodeFactory, ProjectNodeTypes::kLoopIterationsName,
                           ProjectNodeTypes::kLoopIterationsType, "LoopIterations", "mask") {}

QWidget* LoopIterationsNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                             intptr_t extra) {
    return CreateHostPanel(dynamic_cast<LoopIterationsNode*>(node), parent, extra);
}
