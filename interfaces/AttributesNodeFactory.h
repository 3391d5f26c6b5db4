#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes AttributesNode nodes.
class AttributesNodeFactory : public ProjectNodeFactory {
public:
    AttributesNodeFactory();
    Node* CreateNode() override;
};
