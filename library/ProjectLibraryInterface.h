#pragma once

#include <string>
#include <vector>

#include "host/LibraryInterface.h"

// The library descriptor: its name, and the IO node types that appear only inside projects
// (Boolean, Rgbo and Curves IO), which the host must be able to create when a project names them
// although no interface publishes them. The description stays empty.
class ProjectLibraryInterface final : public LibraryInterface {
public:
    std::string GetName() const override;
    std::vector<UnpublishedNodeType> GetUnpublishedNodeTypes() const override;
};
