#pragma once

#include <string>

#include "host/Image.h"
#include "host/RefPtr.h"

// The entry point of the image-file module: ImageFile's work, done with OpenImageIO. The module
// is loaded on first use so that programs that never touch an image file do not pay for loading
// OpenImageIO and the many libraries it pulls in.
struct ImageFileCodec {
    RefPtr<Image> (*m_read)(const std::string& path, std::string& error);
    bool (*m_write)(const Image& image, const std::string& path, std::string& error);
};

// Exported by the module with C linkage.
using GetImageFileCodecFunction = const ImageFileCodec* (*)();
inline constexpr const char* kImageFileModule = "quillmar/quillmar_imagefile.so";
inline constexpr const char* kImageFileCodecSymbol = "QuillmarImageFileCodec";
