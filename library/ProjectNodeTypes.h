#pragma once

#include <string>

#include "host/NodeType.h"

// Display names and NodeType values of the library's thirteen node types. The interface, the
// factory and the node of a type all return these same constants. They exist from library load to
// unload, so they must not be used from another object's static initialiser.
class ProjectNodeTypes {
public:
    static const std::string kAttributesName;
    static const std::string kNodeGraphName;
    static const std::string kLoopIterationsName;
    static const std::string kBooleanIoName;
    static const std::string kNumberIoName;
    static const std::string kPointIoName;
    static const std::string kFrameIoName;
    static const std::string kRgboIoName;
    static const std::string kImageIoName;
    static const std::string kCurvesIoName;
    static const std::string kMaterialIoName;
    static const std::string kImageSwitchName;
    static const std::string kMaterialSwitchName;

    static const NodeType kAttributesType;
    static const NodeType kNodeGraphType;
    static const NodeType kLoopIterationsType;
    static const NodeType kBooleanIoType;
    static const NodeType kNumberIoType;
    static const NodeType kPointIoType;
    static const NodeType kFrameIoType;
    static const NodeType kRgboIoType;
    static const NodeType kImageIoType;
    static const NodeType kCurvesIoType;
    static const NodeType kMaterialIoType;
    static const NodeType kImageSwitchType;
    static const NodeType kMaterialSwitchType;
};
