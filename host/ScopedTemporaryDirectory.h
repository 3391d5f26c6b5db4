#pragma once

#include <cstddef>
#include <string>

#include "host/HostExport.h"

// A fresh folder in the system temporary folder, named quillmar-<process id>-<random UUID>, removed
// with everything in it when the object goes away. When made current, the previous working
// directory is restored first, on every path out of the scope (exceptions included).
//
// A process that dies without cleaning up (SIGKILL, power loss) leaves its folders behind: the
// first Create of every process removes the folders of this user whose process is gone.
class QM_HOST_API ScopedTemporaryDirectory {
public:
    ScopedTemporaryDirectory() = default;
    ~ScopedTemporaryDirectory();
    ScopedTemporaryDirectory(const ScopedTemporaryDirectory&) = delete;
    ScopedTemporaryDirectory& operator=(const ScopedTemporaryDirectory&) = delete;

    // Creates the folder; false, with a reason, when it cannot.
    bool Create(std::string& error);
    // Makes the created folder the working directory; false, with a reason, when it cannot.
    bool MakeCurrent(std::string& error);
    // Restores the working directory (when changed) and removes the folder now.
    void Remove();

    // Absolute; empty before Create.
    const std::string& GetPath() const { return m_path; }

private:
    // Removes the folders in `temporary` that processes now gone left behind; returns how many.
    static size_t RemoveAbandoned(const std::string& temporary);

    std::string m_path;
    std::string m_previous_directory;
};
