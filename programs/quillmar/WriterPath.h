#pragma once

#include <filesystem>
#include <string>

// Where `render` writes a Writer's image: its path taken relative to the output folder, and kept
// inside it unless the user allows otherwise, since a document from someone else chooses the
// paths.
class WriterPath {
public:
    // The file for the Writer path `path` in `folder`. Unless `allow_outside`, false with a reason
    // for a path that is empty, absolute, climbs above the folder with "..", or passes through a
    // symbolic link (one existing now, the file itself included) that leads outside the folder.
    // With `allow_outside`, relative paths are still taken from the folder and absolute ones kept.
    static bool Resolve(const std::filesystem::path& folder, const std::string& path,
                        bool allow_outside, std::filesystem::path& file, std::string& error);
};
