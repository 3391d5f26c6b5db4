#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes LoopIterationsNode nodes.
class LoopIterationsNodeFactory : public ProjectNodeFactory {
public:
    LoopIterationsNodeFactory();
    Node* CreateNode() override;
};
