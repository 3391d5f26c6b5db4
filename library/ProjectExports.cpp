#include "library/ProjectExports.h"

#include "interfaces/AttributesNodeInterface.h"
#include "interfaces/FrameIoNodeInterface.h"
#include "interfaces/ImageIoNodeInterface.h"
#include "interfaces/ImageSwitchNodeInterface.h"
#include "interfaces/LoopIterationsNodeInterface.h"
#include "interfaces/MaterialIoNodeInterface.h"
#include "interfaces/MaterialSwitchNodeInterface.h"
#include "interfaces/NodeGraphNodeInterface.h"
#include "interfaces/NumberIoNodeInterface.h"
#include "interfaces/PointIoNodeInterface.h"
#include "library/ProjectLibraryInterface.h"

LibraryInterface* GetLibraryInterface() {
    return new ProjectLibraryInterface;
}

uint64_t GetNumNodeInterfaces() {
    return 10;
}

NodeInterface* GetNodeInterface(uint64_t index) {
    switch (index) {
        case 0:
            return new AttributesNodeInterface;
        case 1:
            return new NumberIoNodeInterface;
        case 2:
            return new PointIoNodeInterface;
        case 3:
            return new FrameIoNodeInterface;
        case 4:
            return new ImageIoNodeInterface;
        case 5:
            return new MaterialIoNodeInterface;
        case 6:
            return new ImageSwitchNodeInterface;
        case 7:
            return new MaterialSwitchNodeInterface;
        case 8:
            return new LoopIterationsNodeInterface;
        case 9:
            return new NodeGraphNodeInterface;
        default:
            return nullptr;
    }
}
