#include "host/Image.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "hostlib/image/ImageBufferPool.h"
#include "hostlib/image/ParallelFor.h"

namespace {

void ParallelCopy(float* out, const float* in, size_t floats) {
    ParallelFor(floats, 2, [&](size_t begin, size_t end) {
        std::memcpy(out + begin, in + begin, (end - begin) * sizeof(float));
    });
}

size_t BufferBytes(uint32_t width, uint32_t height) {
    const size_t pixels = size_t(width) * height;
    if (pixels > SIZE_MAX / (Image::kChannels * sizeof(float))) {
        throw std::bad_alloc();
    }
    return pixels * Image::kChannels * sizeof(float);
}

}  // namespace

Image::Image() = default;

Image::Image(uint32_t width, uint32_t height, int color_mode) : m_color_mode(color_mode) {
    Allocate(width, height);
    float* const data = m_data;
    ParallelFor(GetNumFloats(), 1, [&](size_t begin, size_t end) {
        std::memset(data + begin, 0, (end - begin) * sizeof(float));
    });
}

Image::Image(uint32_t width, uint32_t height, int color_mode, Uninitialised)
    : m_color_mode(color_mode) {
    Allocate(width, height);
}

Image::Image(const Image& other) : RefCounter(other), m_color_mode(other.m_color_mode) {
    Allocate(other.m_width, other.m_height);
    ParallelCopy(m_data, other.m_data, GetNumFloats());
}

Image& Image::operator=(const Image& other) {
    if (this == &other) {
        return *this;
    }
    Resize(other.m_width, other.m_height);
    m_color_mode = other.m_color_mode;
    ParallelCopy(m_data, other.m_data, GetNumFloats());
    return *this;
}

Image::~Image() {
    Free();
}

void Image::Fill(float r, float g, float b, float a) {
    float* const pixels = m_data;
    ParallelFor(GetNumPixels(), kChannels, [&](size_t begin, size_t end) {
        float* __restrict data = pixels;
        for (size_t i = begin; i < end; ++i) {
            data[4 * i + 0] = r;
            data[4 * i + 1] = g;
            data[4 * i + 2] = b;
            data[4 * i + 3] = a;
        }
    });
}

void Image::Resize(uint32_t width, uint32_t height) {
    if (size_t(width) * height != GetNumPixels()) {
        Free();
        Allocate(width, height);
    }
    m_width = width;
    m_height = height;
}

void Image::Allocate(uint32_t width, uint32_t height) {
    const size_t bytes = BufferBytes(width, height);
    m_data = bytes ? ImageBufferPool::Get().Acquire(bytes) : nullptr;
    m_width = width;
    m_height = height;
}

void Image::Free() {
    if (m_data) {
        ImageBufferPool::Get().Release(m_data, GetNumFloats() * sizeof(float));
    }
    m_data = nullptr;
    m_width = 0;
    m_height = 0;
}
