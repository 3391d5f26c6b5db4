#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes ImageSwitchNode nodes.
class ImageSwitchNodeFactory : public ProjectNodeFactory {
public:
    ImageSwitchNodeFactory();
    Node* CreateNode() override;
};
