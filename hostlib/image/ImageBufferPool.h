#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

// Process-wide pool of 64-byte aligned pixel buffers. Large buffers are costly to fault in page by
// page, and images of one size tend to be freed and made again in quick succession (an iteration
// replaces its results), so a few freed buffers are kept and handed out again by exact size.
// Bounded in count and bytes; the oldest buffer goes first. Thread-safe.
class ImageBufferPool {
public:
    static constexpr size_t kAlignment = 64;

    // Never destroyed, so images released during static destruction still have a pool.
    static ImageBufferPool& Get();

    // A buffer of `bytes` bytes (non-zero), contents unspecified. Throws std::bad_alloc.
    float* Acquire(size_t bytes);
    // Takes back a buffer from Acquire of the same size; it is kept for reuse or freed.
    void Release(float* data, size_t bytes);

private:
    static constexpr size_t kMaxBuffers = 8;
    static constexpr size_t kMaxBytes = size_t(512) << 20;

    struct Entry {
        float* m_data;
        size_t m_bytes;
    };

    ImageBufferPool();
    static void Free(float* data);

    std::mutex m_mutex;
    // Oldest first; capacity reserved up front so that no allocation happens under the lock.
    std::vector<Entry> m_entries;
    size_t m_bytes = 0;
};
