#include "host/LibraryInterface.h"

std::string LibraryInterface::GetDescription() const {
    return {};
}

std::vector<LibraryInterface::UnpublishedNodeType> LibraryInterface::GetUnpublishedNodeTypes()
    const {
    return {};
}

void LibraryInterface::OnLoaded() {}

void LibraryInterface::OnUnloading() {}
