#include "interfaces/AttributesNodeInterface.h"

#include "interfaces/AttributesNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAttributesWidget.h"

AttributesNodeInterface::AttributesNodeInterface()
    : ProjectNodeInterface(new AttributesNodeFactory, ProjectNodeTypes::kAttributesName,
                           ProjectNodeTypes::kAttributesType, "Attributes", "mask") {}

QWidget* AttributesNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                         intptr_t extra) {
    auto* attributes = dynamic_cast<AttributesNode*>(node);
    if (!attributes || extra != 0) {
        return nullptr;
    }
    return new QAttributesWidget(parent, attributes, this);
}
