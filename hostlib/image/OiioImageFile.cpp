#include "host/HostExport.h"
#include "host/ImageFile.h"
#include "hostlib/image/ImageFileCodec.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cctype>
#include <cstdint>
#include <vector>

namespace fs = boost::filesystem;

namespace {

std::string LowerExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

bool IsFloatFormat(OIIO::TypeDesc format) {
    return format.basetype == OIIO::TypeDesc::FLOAT || format.basetype == OIIO::TypeDesc::HALF ||
           format.basetype == OIIO::TypeDesc::DOUBLE;
}

// Completes pixels read into the first `channels` slots of each RGBA pixel.
void ExpandChannels(Image& image, int channels) {
    float* __restrict data = image.GetData();
    const size_t pixels = image.GetNumPixels();
    for (size_t i = 0; i < pixels; ++i) {
        float* pixel = data + 4 * i;
        if (channels <= 2) {
            pixel[3] = channels == 2 ? pixel[1] : 1.0f;
            pixel[1] = pixel[0];
            pixel[2] = pixel[0];
        } else if (channels == 3) {
            pixel[3] = 1.0f;
        }
    }
}

// Clamped to [0, 1] (NaN to 0) and rounded to the nearest of 256 levels.
void ToBytes(const float* __restrict values, uint8_t* __restrict bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const float low = values[i] > 0.0f ? values[i] : 0.0f;
        const float clamped = low < 1.0f ? low : 1.0f;
        bytes[i] = uint8_t(clamped * 255.0f + 0.5f);
    }
}

// Drops alpha for formats that hold none.
std::vector<float> ToRgb(const Image& image) {
    std::vector<float> rgb(image.GetNumPixels() * 3);
    const float* data = image.GetData();
    for (size_t i = 0; i < image.GetNumPixels(); ++i) {
        rgb[3 * i + 0] = data[4 * i + 0];
        rgb[3 * i + 1] = data[4 * i + 1];
        rgb[3 * i + 2] = data[4 * i + 2];
    }
    return rgb;
}

RefPtr<Image> Read(const std::string& path, std::string& error) {
    // Keep straight alpha as it is stored instead of premultiplying it.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) {
        error = "Cannot read image file \"" + path + "\": " + OIIO::geterror();
        return nullptr;
    }
    const OIIO::ImageSpec& spec = input->spec();
    if (spec.deep || spec.depth != 1 || spec.width <= 0 || spec.height <= 0 ||
        spec.nchannels <= 0) {
        error = "Cannot read image file \"" + path + "\": not a flat 2D image.";
        return nullptr;
    }
    if (size_t(spec.width) * size_t(spec.height) > ImageFile::kMaxPixels) {
        error = "Cannot read image file \"" + path + "\": " + std::to_string(spec.width) + " x " +
                std::to_string(spec.height) + " pixels is too large.";
        return nullptr;
    }
    const int channels = std::min(spec.nchannels, Image::kChannels);
    RefPtr<Image> image(new Image(uint32_t(spec.width), uint32_t(spec.height),
                                  IsFloatFormat(spec.format) ? 2 : 1, Image::Uninitialised{}));
    if (!input->read_image(0, 0, 0, channels, OIIO::TypeDesc::FLOAT, image->GetData(),
                           Image::kChannels * sizeof(float))) {
        error = "Cannot read image file \"" + path + "\": " + input->geterror();
        return nullptr;
    }
    ExpandChannels(*image, channels);
    return image;
}

bool Write(const Image& image, const std::string& path, std::string& error) {
    if (image.IsEmpty()) {
        error = "Cannot write \"" + path + "\": the image is empty.";
        return false;
    }
    auto output = OIIO::ImageOutput::create(path);
    if (!output) {
        error = "Cannot write \"" + path + "\": " + OIIO::geterror();
        return false;
    }
    const std::string extension = LowerExtension(path);
    const bool as_float =
        extension == ".exr" || extension == ".hdr" || extension == ".tif" || extension == ".tiff";
    const int channels = extension == ".hdr" ? 3 : Image::kChannels;
    OIIO::ImageSpec spec(int(image.GetWidth()), int(image.GetHeight()), channels,
                         as_float ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::UINT8);
    spec.attribute("oiio:UnassociatedAlpha", 1);

    std::vector<float> rgb;
    std::vector<uint8_t> bytes;
    const void* pixels = image.GetData();
    if (channels == 3) {
        rgb = ToRgb(image);
        pixels = rgb.data();
    }
    if (!as_float) {
        bytes.resize(image.GetNumFloats());
        ToBytes(image.GetData(), bytes.data(), bytes.size());
        pixels = bytes.data();
    }

    const fs::path target(path);
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + "." +
                                                       fs::unique_path("%%%%%%%%").string());
    bool written =
        output->open(temporary.string(), spec) && output->write_image(spec.format, pixels);
    written = output->close() && written;
    boost::system::error_code code;
    if (written) {
        fs::rename(temporary, target, code);
    }
    if (!written || code) {
        error = "Cannot write \"" + path + "\": " + (written ? code.message() : output->geterror());
        fs::remove(temporary, code);
        return false;
    }
    return true;
}

}  // namespace

extern "C" QM_HOST_API const ImageFileCodec* QuillmarImageFileCodec() {
    static constexpr ImageFileCodec codec{&Read, &Write};
    return &codec;
}
