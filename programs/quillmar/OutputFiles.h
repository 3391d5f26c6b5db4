#pragma once

#include <string>
#include <vector>

class Image;

// How `quillmar run -o DIR` names and writes image outputs: DIR/<output>.<format> and
// DIR/<output>_<image>.<format> for material images, path separators in names becoming '_'.
class OutputFiles {
public:
    // A file name stem for an output or material image name that stays inside the folder.
    static std::string SafeFileStem(const std::string& name);

    // Writes the image as <folder>/<stem>.<format>, numbering the stem when an earlier call on
    // this object used the name. Returns the path, or empty with the reason in `error`.
    std::string Write(const Image& image, const std::string& folder, const std::string& stem,
                      const std::string& format, std::string& error);

private:
    std::vector<std::string> m_used_files;
};
