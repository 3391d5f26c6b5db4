#pragma once

#include <string>

#include "host/HostExport.h"

// The descriptor a plug-in library returns from GetLibraryInterface. It has no virtual destructor:
// the host keeps it for as long as the library stays loaded and never deletes it.
class QM_HOST_API LibraryInterface {
public:
    virtual std::string GetName() const = 0;
    virtual std::string GetDescription() const;
    // Called after the library's node interfaces are registered, and before it is unloaded.
    virtual void OnLoaded();
    virtual void OnUnloading();

protected:
    ~LibraryInterface() = default;
};
