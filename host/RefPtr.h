#pragma once

#include <cstddef>
#include <utility>

// Counted pointer to a RefCounter-derived object: storing adds a reference, replacing or clearing
// drops one.
template <typename T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) {}
    RefPtr(T* object) : m_object(object) {
        if (m_object) {
            m_object->AddRef();
        }
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_object) {}
    RefPtr(RefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <typename U>
    RefPtr(const RefPtr<U>& other) : RefPtr(other.Get()) {}
    ~RefPtr() { Reset(); }

    RefPtr& operator=(const RefPtr& other) {
        Reset(other.m_object);
        return *this;
    }
    RefPtr& operator=(RefPtr&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(m_object, std::exchange(other.m_object, nullptr));
            if (old) {
                old->Release();
            }
        }
        return *this;
    }
    RefPtr& operator=(T* object) {
        Reset(object);
        return *this;
    }

    // Adds the new reference before dropping the old one, so resetting to the object already held
    // is safe.
    void Reset(T* object = nullptr) {
        if (object) {
            object->AddRef();
        }
        T* old = std::exchange(m_object, object);
        if (old) {
            old->Release();
        }
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const RefPtr& other) const = default;
    bool operator==(const T* other) const { return m_object == other; }

private:
    T* m_object = nullptr;
};
