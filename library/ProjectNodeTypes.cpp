#include "library/ProjectNodeTypes.h"

namespace {
// Every type of this library is 10, 1, n.
constexpr uint32_t kLibrary = 10;
constexpr uint32_t kGroup = 1;
}  // namespace

const std::string ProjectNodeTypes::kAttributesName = "Attributes";
const std::string ProjectNodeTypes::kNodeGraphName = "Node Graph";
const std::string ProjectNodeTypes::kLoopIterationsName = "Loop Iterations";
const std::string ProjectNodeTypes::kBooleanIoName = "Boolean IO";
const std::string ProjectNodeTypes::kNumberIoName = "Number IO";
const std::string ProjectNodeTypes::kPointIoName = "Point IO";
const std::string ProjectNodeTypes::kFrameIoName = "Frame IO";
const std::string ProjectNodeTypes::kRgboIoName = "Rgbo IO";
const std::string ProjectNodeTypes::kImageIoName = "Image IO";
const std::string ProjectNodeTypes::kCurvesIoName = "Curves IO";
const std::string ProjectNodeTypes::kMaterialIoName = "Material IO";
const std::string ProjectNodeTypes::kImageSwitchName = "Image Switch";
const std::string ProjectNodeTypes::kMaterialSwitchName = "Material Switch";

const NodeType ProjectNodeTypes::kAttributesType(kLibrary, kGroup, 0);
const NodeType ProjectNodeTypes::kNodeGraphType(kLibrary, kGroup, 5);
const NodeType ProjectNodeTypes::kLoopIterationsType(kLibrary, kGroup, 10);
const NodeType ProjectNodeTypes::kBooleanIoType(kLibrary, kGroup, 21);
const NodeType ProjectNodeTypes::kNumberIoType(kLibrary, kGroup, 26);
const NodeType ProjectNodeTypes::kPointIoType(kLibrary, kGroup, 32);
const NodeType ProjectNodeTypes::kFrameIoType(kLibrary, kGroup, 37);
const NodeType ProjectNodeTypes::kRgboIoType(kLibrary, kGroup, 42);
const NodeType ProjectNodeTypes::kImageIoType(kLibrary, kGroup, 53);
const NodeType ProjectNodeTypes::kCurvesIoType(kLibrary, kGroup, 64);
const NodeType ProjectNodeTypes::kMaterialIoType(kLibrary, kGroup, 69);
const NodeType ProjectNodeTypes::kImageSwitchType(kLibrary, kGroup, 74);
const NodeType ProjectNodeTypes::kMaterialSwitchType(kLibrary, kGroup, 80);
