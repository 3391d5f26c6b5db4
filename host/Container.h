#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostExport.h"

// Limits that DecompressFiles enforces on one archive.
struct ContainerLimits {
    uint64_t m_max_entries = 10000;
    // Counted from the bytes actually unpacked, not from the sizes the archive declares.
    uint64_t m_max_total_bytes = uint64_t(1) << 30;
};

// The limits in force for the whole process; the defaults above until the host sets others.
QM_HOST_API ContainerLimits GetContainerLimits();
QM_HOST_API void SetContainerLimits(const ContainerLimits& limits);

// Unpacks a ZIP archive into the current working directory, creating sub-folders as needed.
// Refuses, and stops at, an entry with an absolute path, a drive letter, a ".." component, a
// symbolic-link or other special file mode, or encryption, and an archive beyond the limits. An
// existing symbolic link in the working directory is never followed. All or nothing: on a refusal
// the files and folders this call created are removed again, so that a refused archive reads as
// an empty one; nothing is ever written outside the working directory. On false, `error` says why.
QM_HOST_API bool DecompressFiles(const std::string& container_path, std::string& error);
QM_HOST_API bool DecompressFiles(const std::string& container_path);

// Writes a deflated ZIP archive of `files` (paths relative to `folder`, '/'-separated), with
// "Project.xml" first when it is listed. An existing file at container_path is replaced only once
// the whole archive has been written. On false, `error` says why.
QM_HOST_API bool CompressFiles(const std::string& folder, const std::vector<std::string>& files,
                               const std::string& container_path, std::string& error);
