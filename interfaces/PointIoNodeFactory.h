#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes PointIoNode nodes.
class PointIoNodeFactory : public ProjectNodeFactory {
public:
    PointIoNodeFactory();
    Node* CreateNode() override;
};
