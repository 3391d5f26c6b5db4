#pragma once

#include <string>

#include "host/HostExport.h"
#include "host/Image.h"

// Whole-image arithmetic on the RGBA float pixels. Every channel, alpha included, is treated
// alike, and nothing is clamped except by Clamp.
class QM_HOST_API ImageOp {
public:
    // A new image (reference count 0) of the background's size and colour mode. Per channel:
    // "add" b + f, "subtract" b - f, "multiply" b * f, "min" and "max" the smaller and larger of
    // b and f. The foreground is placed at the origin; background pixels that it does not cover
    // are kept. A null foreground gives a copy of the background. Null when the background is
    // null or the mode is none of these.
    static Image* MixBgFgImages(const Image* background, const Image* foreground,
                                const std::string& mode);
    // Multiplies every channel of every pixel by factor. A null image is left alone.
    static void Multiply(Image* image, float factor);
    // Limits every channel to [0, 1]; NaN becomes 0. A null image is left alone.
    static void Clamp(Image* image);
};
