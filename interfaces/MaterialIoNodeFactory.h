#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes MaterialIoNode nodes.
class MaterialIoNodeFactory : public ProjectNodeFactory {
public:
    MaterialIoNodeFactory();
    Node* CreateNode() override;
};
