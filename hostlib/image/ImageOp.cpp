#include "host/ImageOp.h"

#include <algorithm>
#include <memory>

#include "hostlib/image/CoveredRows.h"
#include "hostlib/image/ParallelFor.h"

namespace {

enum class MixMode { Add, Subtract, Multiply, Min, Max };

template <MixMode Mode>
void MixSpan(float* __restrict out, const float* __restrict b, const float* __restrict f,
             size_t floats) {
    for (size_t i = 0; i < floats; ++i) {
        if constexpr (Mode == MixMode::Add) {
            out[i] = b[i] + f[i];
        } else if constexpr (Mode == MixMode::Subtract) {
            out[i] = b[i] - f[i];
        } else if constexpr (Mode == MixMode::Multiply) {
            out[i] = b[i] * f[i];
        } else if constexpr (Mode == MixMode::Min) {
            out[i] = std::min(b[i], f[i]);
        } else {
            out[i] = std::max(b[i], f[i]);
        }
    }
}

template <MixMode Mode>
void Mix(Image& out, const Image& background, const Image& foreground) {
    ForCoveredRows(out, background, {&foreground}, [&](uint32_t y, size_t pixels) {
        MixSpan<Mode>(out.GetPixel(0, y), background.GetPixel(0, y), foreground.GetPixel(0, y),
                      pixels * Image::kChannels);
    });
}

bool ParseMixMode(const std::string& text, MixMode& mode) {
    static const std::pair<const char*, MixMode> kModes[] = {
        {"add", MixMode::Add}, {"subtract", MixMode::Subtract}, {"multiply", MixMode::Multiply},
        {"min", MixMode::Min}, {"max", MixMode::Max},
    };
    for (const auto& [name, value] : kModes) {
        if (text == name) {
            mode = value;
            return true;
        }
    }
    return false;
}

}  // namespace

Image* ImageOp::MixBgFgImages(const Image* background, const Image* foreground,
                              const std::string& mode) {
    MixMode mix_mode;
    if (!background || !ParseMixMode(mode, mix_mode)) {
        return nullptr;
    }
    if (!foreground) {
        return new Image(*background);
    }
    auto out = std::make_unique<Image>(background->GetWidth(), background->GetHeight(),
                                       background->GetColorMode(), Image::Uninitialised{});
    switch (mix_mode) {
        case MixMode::Add:
            Mix<MixMode::Add>(*out, *background, *foreground);
            break;
        case MixMode::Subtract:
            Mix<MixMode::Subtract>(*out, *background, *foreground);
            break;
        case MixMode::Multiply:
            Mix<MixMode::Multiply>(*out, *background, *foreground);
            break;
        case MixMode::Min:
            Mix<MixMode::Min>(*out, *background, *foreground);
            break;
        case MixMode::Max:
            Mix<MixMode::Max>(*out, *background, *foreground);
            break;
    }
    return out.release();
}

void ImageOp::Multiply(Image* image, float factor) {
    if (!image) {
        return;
    }
    float* const data = image->GetData();
    ParallelFor(image->GetNumFloats(), 1, [&](size_t begin, size_t end) {
        float* __restrict values = data;
        for (size_t i = begin; i < end; ++i) {
            values[i] *= factor;
        }
    });
}

void ImageOp::Clamp(Image* image) {
    if (!image) {
        return;
    }
    float* const data = image->GetData();
    ParallelFor(image->GetNumFloats(), 1, [&](size_t begin, size_t end) {
        float* __restrict values = data;
        for (size_t i = begin; i < end; ++i) {
            // Written so that NaN fails the first test and becomes 0.
            const float low = values[i] > 0.0f ? values[i] : 0.0f;
            values[i] = low < 1.0f ? low : 1.0f;
        }
    });
}
