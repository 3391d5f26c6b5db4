#include "interfaces/ImageIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"

ImageIoNodeFactory::ImageIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kImageIoType, ProjectNodeTypes::kImageIoName) {}

Node* ImageIoNodeFactory::CreateNode() {
    // Makes nothing until the ImageIoNode class arrives.
    return nullptr;
}
