#include "host/LibraryInterface.h"

std::string LibraryInterface::GetDescription() const {
    return {};
}

void LibraryInterface::OnLoaded() {}

void LibraryInterface::OnUnloading() {}
