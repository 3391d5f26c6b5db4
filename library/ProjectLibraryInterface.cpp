#include "library/ProjectLibraryInterface.h"

#include "library/ProjectNodeTypes.h"
#include "nodes/io/BooleanIoNode.h"
#include "nodes/io/CurvesIoNode.h"
#include "nodes/io/RgboIoNode.h"

namespace {

template <typename T>
Node* Create() {
    return new T;
}

}  // namespace

std::string ProjectLibraryInterface::GetName() const {
    return "Project";
}

std::vector<LibraryInterface::UnpublishedNodeType>
ProjectLibraryInterface::GetUnpublishedNodeTypes() const {
    return {
        {ProjectNodeTypes::kBooleanIoType, ProjectNodeTypes::kBooleanIoName,
         &Create<BooleanIoNode>},
        {ProjectNodeTypes::kRgboIoType, ProjectNodeTypes::kRgboIoName, &Create<RgboIoNode>},
        {ProjectNodeTypes::kCurvesIoType, ProjectNodeTypes::kCurvesIoName, &Create<CurvesIoNode>},
    };
}
