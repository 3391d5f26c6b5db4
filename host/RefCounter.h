#pragma once

#include <atomic>
#include <cstdint>

#include "host/HostExport.h"

// Intrusive reference count. Objects start at 0; the first RefPtr (or AddRef) that stores them
// takes the first reference, and the drop of the last one deletes the object through its virtual
// destructor. Counting is atomic, so objects may be released on any thread.
class QM_HOST_API RefCounter {
public:
    RefCounter() = default;
    // A copy is a new object: it starts without references of its own.
    RefCounter(const RefCounter&) : m_ref_count(0) {}
    RefCounter& operator=(const RefCounter&) { return *this; }
    virtual ~RefCounter();

    void AddRef() const { m_ref_count.fetch_add(1, std::memory_order_relaxed); }
    // Deletes the object when this was the last reference.
    void Release() const;
    uint32_t GetRefCount() const { return m_ref_count.load(std::memory_order_relaxed); }

private:
    mutable std::atomic<uint32_t> m_ref_count{0};
};
