#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes NumberIoNode nodes.
class NumberIoNodeFactory : public ProjectNodeFactory {
public:
    NumberIoNodeFactory();
    Node* CreateNode() override;
};
