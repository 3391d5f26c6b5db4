#include "interfaces/FrameIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"

FrameIoNodeFactory::FrameIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kFrameIoType, ProjectNodeTypes::kFrameIoName) {}

Node* FrameIoNodeFactory::CreateNode() {
    // Makes nothing until the FrameIoNode class arrives.
    return nullptr;
}
