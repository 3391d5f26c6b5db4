#pragma once

#include "host/HostExport.h"
#include "host/Image.h"

// Blend modes. Over composites with straight (not premultiplied) alpha; the others combine each
// channel, alpha included, and mix the combination into the background by the weight.
enum BlendMode : int {
    kBlendOver = 20,
    kBlendAdd = 21,
    kBlendMultiply = 22,
    kBlendMinimum = 23,
    kBlendMaximum = 24,
};

// Blends foreground onto background into `out`, which takes the background's size and colour
// mode (its buffer is kept when the size already fits). The weight w of a pixel is opacity, times
// mask red x mask_scale when a mask is given. With fa = foreground alpha x w and ba the
// background's alpha, over gives alpha fa + ba (1 - fa) and colour
// (f fa + b ba (1 - fa)) / alpha (0 where that alpha is 0); the other modes give
// b + (op(b, f) - b) w per channel, op being b + f, b x f, min or max. Foreground and mask are
// placed at the origin; where either does not reach, the background pixel is kept, and a null
// foreground leaves the whole background as it is. Nothing is clamped. No flag is defined: pass 0.
// Returns false, leaving `out` alone, for an unknown mode or a null background; `out` must not be
// one of the inputs.
QM_HOST_API bool BlendInto(Image& out, const Image* background, const Image* foreground,
                           const Image* mask, int mode, int flags, float opacity, float mask_scale);

// As BlendInto, into a new image (reference count 0); null for an unknown mode or a null
// background.
QM_HOST_API Image* Blend(const Image* background, const Image* foreground, const Image* mask,
                         int mode, int flags, float opacity, float mask_scale);
