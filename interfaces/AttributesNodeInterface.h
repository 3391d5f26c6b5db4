#pragma once

#include <cstdint>

#include "interfaces/ProjectNodeInterface.h"

// Describes the AttributesNode type to the host; its panel is QAttributesWidget.
class AttributesNodeInterface : public ProjectNodeInterface {
public:
    AttributesNodeInterface();

    // A QAttributesWidget for an AttributesNode when `extra` is zero; null otherwise.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
