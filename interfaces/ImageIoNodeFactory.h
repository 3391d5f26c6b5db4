#pragma once

#include "interfaces/ProjectNodeFactory.h"

class Node;

// Makes ImageIoNode nodes.
class ImageIoNodeFactory : public ProjectNodeFactory {
public:
    ImageIoNodeFactory();
    Node* CreateNode() override;
};
