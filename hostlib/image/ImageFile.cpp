#include "host/ImageFile.h"

#include <dlfcn.h>

#include <string>

#include "hostlib/image/ImageFileCodec.h"
#include "hostlib/registry/HostLibraryFolder.h"

namespace {

struct LoadedCodec {
    const ImageFileCodec* m_codec = nullptr;
    std::string m_error;
};

// Loaded once, never unloaded: OpenImageIO keeps threads and caches for the life of the process.
const LoadedCodec& Codec() {
    static const LoadedCodec loaded = [] {
        LoadedCodec result;
        const std::string path = (HostLibraryFolder() / kImageFileModule).string();
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            result.m_error = "the image-file module cannot be loaded: " + std::string(dlerror());
            return result;
        }
        const auto get =
            reinterpret_cast<GetImageFileCodecFunction>(dlsym(handle, kImageFileCodecSymbol));
        if (get == nullptr) {
            result.m_error =
                "the image-file module " + path + " has no " + kImageFileCodecSymbol + ".";
            return result;
        }
        result.m_codec = get();
        return result;
    }();
    return loaded;
}

}  // namespace

RefPtr<Image> ImageFile::Read(const std::string& path, std::string& error) {
    const LoadedCodec& loaded = Codec();
    if (loaded.m_codec == nullptr) {
        error = "Cannot read image file \"" + path + "\": " + loaded.m_error;
        return nullptr;
    }
    return loaded.m_codec->m_read(path, error);
}

bool ImageFile::Write(const Image& image, const std::string& path, std::string& error) {
    const LoadedCodec& loaded = Codec();
    if (loaded.m_codec == nullptr) {
        error = "Cannot write \"" + path + "\": " + loaded.m_error;
        return false;
    }
    return loaded.m_codec->m_write(image, path, error);
}
