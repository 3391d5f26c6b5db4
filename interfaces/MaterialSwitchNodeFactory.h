#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes MaterialSwitchNode nodes.
class MaterialSwitchNodeFactory : public ProjectNodeFactory {
public:
    MaterialSwitchNodeFactory();
    Node* CreateNode() override;
};
