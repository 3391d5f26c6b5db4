#pragma once

#include <cstddef>
#include <cstdint>

#include "host/HostExport.h"
#include "host/RefCounter.h"

// An RGBA image with 32-bit float channels in one contiguous, 64-byte aligned buffer, rows top to
// bottom, pixels interleaved (r, g, b, a). Colour mode: 0 data in the 8-bit range, 1 a colour
// image in [0, 1], 2 high dynamic range (never clamped). Freed buffers go to a small process-wide
// pool, so an image of the same size made soon after reuses the memory without new page faults.
class QM_HOST_API Image : public RefCounter {
public:
    static constexpr int kChannels = 4;

    Image();
    // Pixels left unset, for producers that write every pixel themselves.
    struct Uninitialised {};

    // Transparent black pixels. Throws std::bad_alloc when the buffer cannot be had.
    Image(uint32_t width, uint32_t height, int color_mode = 1);
    Image(uint32_t width, uint32_t height, int color_mode, Uninitialised);
    // Deep copy. Assignment keeps the buffer when the sizes match.
    Image(const Image& other);
    Image& operator=(const Image& other);
    ~Image() override;

    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    int GetColorMode() const { return m_color_mode; }
    void SetColorMode(int color_mode) { m_color_mode = color_mode; }
    size_t GetNumPixels() const { return size_t(m_width) * m_height; }
    size_t GetNumFloats() const { return GetNumPixels() * kChannels; }
    bool IsEmpty() const { return GetNumPixels() == 0; }

    float* GetData() { return m_data; }
    const float* GetData() const { return m_data; }
    float* GetPixel(uint32_t x, uint32_t y) {
        return m_data + (size_t(y) * m_width + x) * kChannels;
    }
    const float* GetPixel(uint32_t x, uint32_t y) const {
        return m_data + (size_t(y) * m_width + x) * kChannels;
    }

    // Gives the image that size, keeping the buffer when the number of pixels stays; the pixels
    // are unspecified afterwards unless the size was already that.
    void Resize(uint32_t width, uint32_t height);
    // Fills every pixel with one colour.
    void Fill(float r, float g, float b, float a);

private:
    void Allocate(uint32_t width, uint32_t height);
    void Free();

    uint32_t m_width = 0;
    uint32_t m_height = 0;
    int m_color_mode = 1;
    float* m_data = nullptr;
};
