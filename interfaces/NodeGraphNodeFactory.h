#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes NodeGraphNode nodes.
class NodeGraphNodeFactory : public ProjectNodeFactory {
public:
    NodeGraphNodeFactory();
    Node* CreateNode() override;
};
