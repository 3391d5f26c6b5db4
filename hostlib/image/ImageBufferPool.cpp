#include "hostlib/image/ImageBufferPool.h"

#include <array>
#include <new>

ImageBufferPool& ImageBufferPool::Get() {
    static ImageBufferPool* pool = new ImageBufferPool;
    return *pool;
}

ImageBufferPool::ImageBufferPool() {
    m_entries.reserve(kMaxBuffers);
}

float* ImageBufferPool::Acquire(size_t bytes) {
    {
        std::lock_guard lock(m_mutex);
        // Newest first: it is the most likely to be still in the cache.
        for (size_t i = m_entries.size(); i-- > 0;) {
            if (m_entries[i].m_bytes == bytes) {
                float* data = m_entries[i].m_data;
                m_entries.erase(m_entries.begin() + ptrdiff_t(i));
                m_bytes -= bytes;
                return data;
            }
        }
    }
    return static_cast<float*>(::operator new(bytes, std::align_val_t(kAlignment)));
}

void ImageBufferPool::Release(float* data, size_t bytes) {
    if (bytes > kMaxBytes) {
        Free(data);
        return;
    }
    // Freed outside the lock: returning large mappings to the system is slow.
    std::array<float*, kMaxBuffers> evicted;
    size_t num_evicted = 0;
    {
        std::lock_guard lock(m_mutex);
        while (!m_entries.empty() &&
               (m_entries.size() == kMaxBuffers || m_bytes + bytes > kMaxBytes)) {
            evicted[num_evicted++] = m_entries.front().m_data;
            m_bytes -= m_entries.front().m_bytes;
            m_entries.erase(m_entries.begin());
        }
        m_entries.push_back({data, bytes});
        m_bytes += bytes;
    }
    for (size_t i = 0; i < num_evicted; ++i) {
        Free(evicted[i]);
    }
}

void ImageBufferPool::Free(float* data) {
    ::operator delete(data, std::align_val_t(kAlignment));
}
