#include "library/ProjectLibraryInterface.h"

std::string ProjectLibraryInterface::GetName() const {
    return "Project";
}
