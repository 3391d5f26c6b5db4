#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes FrameIoNode nodes.
class FrameIoNodeFactory : public ProjectNodeFactory {
public:
    FrameIoNodeFactory();
    Node* CreateNode() override;
};
