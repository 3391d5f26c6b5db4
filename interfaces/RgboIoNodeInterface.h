#pragma once

#include "interfaces/ProjectNodeInterface.h"

// Describes the RgboIoNode type, which the library does not publish: there is no factory, and the
// type appears only inside loaded projects.
// No panel until the host's widget library exists: CreateAttributesWidget keeps the base (null).
class RgboIoNodeInterface : public ProjectNodeInterface {
public:
    RgboIoNodeInterface();
};
