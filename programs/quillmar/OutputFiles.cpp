#include "programs/quillmar/OutputFiles.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/Image.h"
#include "host/ImageFile.h"

namespace fs = std::filesystem;

std::string OutputFiles::SafeFileStem(const std::string& name) {
    std::string stem = name.empty() ? std::string("output") : name;
    for (char& c : stem) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    return stem;
}

std::string OutputFiles::Write(const Image& image, const std::string& folder,
                               const std::string& stem, const std::string& format,
                               std::string& error) {
    std::string file_name = stem + "." + format;
    // Two outputs whose names differ only in characters the file name replaces stay apart.
    for (int suffix = 2;
         std::find(m_used_files.begin(), m_used_files.end(), file_name) != m_used_files.end();
         ++suffix) {
        file_name = stem + "_" + std::to_string(suffix) + "." + format;
    }
    m_used_files.push_back(file_name);
    const std::string path = folder == "." ? file_name : (fs::path(folder) / file_name).string();
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        error = "cannot create the folder " + folder + ": " + code.message();
        return "";
    }
    if (!ImageFile::Write(image, path, error)) {
        error = "cannot write " + path + ": " + error;
        return "";
    }
    return path;
}
