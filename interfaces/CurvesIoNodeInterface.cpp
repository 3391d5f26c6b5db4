#include "interfaces/CurvesIoNodeInterface.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/CurvesIoNode.h"

CurvesIoNodeInterface::CurvesIoNodeInterface()
    : ProjectNodeInterface(nullptr, ProjectNodeTypes::kCurvesIoName,
                           ProjectNodeTypes::kCurvesIoType, "ImageIO", "") {}

QWidget* CurvesIoNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                       intptr_t extra) {
    return CreateHostPanel(dynamic_cast<CurvesIoNode*>(node), parent, extra);
}
