#include "interfaces/FrameIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/FrameIoNode.h"

FrameIoNodeFactory::FrameIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kFrameIoType, ProjectNodeTypes::kFrameIoName) {}

Node* FrameIoNodeFactory::CreateNode() {
    return new FrameIoNode;
}
