#pragma once

#include <string>

#include "host/LibraryInterface.h"

// The library descriptor: only a name; the description stays empty and the hooks do nothing.
class ProjectLibraryInterface final : public LibraryInterface {
public:
    std::string GetName() const override;
};
