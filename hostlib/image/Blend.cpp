#include "host/Blend.h"

#include <algorithm>
#include <memory>

#include "hostlib/image/CoveredRows.h"

namespace {

// One run of pixels. Channel-wise combinations, with the weight per pixel (mask) or per run.
template <int Mode, bool Masked>
void BlendSpan(float* __restrict out, const float* __restrict b, const float* __restrict f,
               const float* __restrict m, size_t pixels, float opacity, float mask_scale) {
    const float mask_factor = opacity * mask_scale;
    for (size_t i = 0; i < pixels; ++i) {
        const size_t p = 4 * i;
        float w = opacity;
        if constexpr (Masked) {
            w = m[p] * mask_factor;
        }
        if constexpr (Mode == kBlendOver) {
            const float fa = f[p + 3] * w;
            const float bw = b[p + 3] * (1.0f - fa);
            const float alpha = fa + bw;
            // Selects of constants rather than a branch, so that the loop vectorises; the scale
            // is 0 where alpha is.
            const float keep = alpha == 0.0f ? 0.0f : 1.0f;
            const float divisor = alpha == 0.0f ? 1.0f : alpha;
            const float scale = keep / divisor;
            for (size_t c = 0; c < 3; ++c) {
                out[p + c] = (f[p + c] * fa + b[p + c] * bw) * scale;
            }
            out[p + 3] = alpha;
        } else {
            for (size_t c = 0; c < 4; ++c) {
                const float bv = b[p + c];
                const float fv = f[p + c];
                float combined;
                if constexpr (Mode == kBlendAdd) {
                    combined = bv + fv;
                } else if constexpr (Mode == kBlendMultiply) {
                    combined = bv * fv;
                } else if constexpr (Mode == kBlendMinimum) {
                    combined = std::min(bv, fv);
                } else {
                    combined = std::max(bv, fv);
                }
                out[p + c] = bv + (combined - bv) * w;
            }
        }
    }
}

template <int Mode>
void BlendRegion(Image& out, const Image& background, const Image& foreground, const Image* mask,
                 float opacity, float mask_scale) {
    ForCoveredRows(out, background, {&foreground, mask}, [&](uint32_t y, size_t pixels) {
        if (mask) {
            BlendSpan<Mode, true>(out.GetPixel(0, y), background.GetPixel(0, y),
                                  foreground.GetPixel(0, y), mask->GetPixel(0, y), pixels, opacity,
                                  mask_scale);
        } else {
            BlendSpan<Mode, false>(out.GetPixel(0, y), background.GetPixel(0, y),
                                   foreground.GetPixel(0, y), nullptr, pixels, opacity, mask_scale);
        }
    });
}

}  // namespace

bool BlendInto(Image& out, const Image* background, const Image* foreground, const Image* mask,
               int mode, int /*flags*/, float opacity, float mask_scale) {
    if (!background || mode < kBlendOver || mode > kBlendMaximum) {
        return false;
    }
    if (!foreground) {
        out = *background;
        return true;
    }
    out.Resize(background->GetWidth(), background->GetHeight());
    out.SetColorMode(background->GetColorMode());
    switch (mode) {
        case kBlendOver:
            BlendRegion<kBlendOver>(out, *background, *foreground, mask, opacity, mask_scale);
            break;
        case kBlendAdd:
            BlendRegion<kBlendAdd>(out, *background, *foreground, mask, opacity, mask_scale);
            break;
        case kBlendMultiply:
            BlendRegion<kBlendMultiply>(out, *background, *foreground, mask, opacity, mask_scale);
            break;
        case kBlendMinimum:
            BlendRegion<kBlendMinimum>(out, *background, *foreground, mask, opacity, mask_scale);
            break;
        case kBlendMaximum:
            BlendRegion<kBlendMaximum>(out, *background, *foreground, mask, opacity, mask_scale);
            break;
    }
    return true;
}

Image* Blend(const Image* background, const Image* foreground, const Image* mask, int mode,
             int flags, float opacity, float mask_scale) {
    if (!background || mode < kBlendOver || mode > kBlendMaximum) {
        return nullptr;
    }
    auto out = std::make_unique<Image>();
    BlendInto(*out, background, foreground, mask, mode, flags, opacity, mask_scale);
    return out.release();
}
