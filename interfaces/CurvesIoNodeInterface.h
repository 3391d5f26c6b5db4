#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the CurvesIoNode type, which the library does not publish: there is no factory, and the
// type appears only inside loaded projects.
class CurvesIoNodeInterface : public ProjectNodeInterface {
public:
    CurvesIoNodeInterface();
    // The host's standard panel, for nodes of this class only.
    QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra) override;
};
