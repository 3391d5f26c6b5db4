#pragma once

#include <string>

#include "host/HostExport.h"
#include "host/Image.h"
#include "host/RefPtr.h"

// Image files through OpenImageIO. Alpha is straight (not premultiplied) in memory and on disk.
class QM_HOST_API ImageFile {
public:
    // Largest image read, in pixels.
    static constexpr size_t kMaxPixels = size_t(1) << 28;

    // Any file OpenImageIO reads, as RGBA floats: grey fills r, g and b, a missing alpha is 1,
    // channels past the fourth are dropped. 8- and 16-bit data becomes [0, 1]. Colour mode 2 for
    // floating-point files, 1 for the others. Null with a message in `error` when the file cannot
    // be read, is not an image, or is larger than kMaxPixels.
    static RefPtr<Image> Read(const std::string& path, std::string& error);

    // Writes the image in the format its extension names. .exr, .hdr, .tif and .tiff get the
    // floats as they are (.hdr holds no alpha); every other format gets 8 bits per channel, each
    // value clamped to [0, 1] and rounded from value x 255. The file is written under a temporary
    // name beside it and renamed at the end, so a failed write leaves an existing file untouched.
    // False with a message in `error` on failure.
    static bool Write(const Image& image, const std::string& path, std::string& error);
};
