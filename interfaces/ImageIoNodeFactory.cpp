#include "interfaces/ImageIoNodeFactory.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/ImageIoNode.h"

ImageIoNodeFactory::ImageIoNodeFactory()
    : ProjectNodeFactory(ProjectNodeTypes::kImageIoType, ProjectNodeTypes::kImageIoName) {}

Node* ImageIoNodeFactory::CreateNode() {
    return new ImageIoNode;
}
