#pragma once
#include <utility>

namespace SOUI {

// Holds one reference to a counted object and releases it when done.
template <class T>
class SAutoRefPtr {
public:
    SAutoRefPtr() = default;
    // Adds a reference of its own; use Attach() to adopt one instead.
    SAutoRefPtr(T* p) : m_p(p) {
        if (m_p)
            m_p->AddRef();
    }
    SAutoRefPtr(const SAutoRefPtr& o) : SAutoRefPtr(o.m_p) {}
    SAutoRefPtr(SAutoRefPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~SAutoRefPtr() { Reset(); }

    SAutoRefPtr& operator=(SAutoRefPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }

    void Attach(T* p) {
        Reset();
        m_p = p;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

}  // namespace SOUI
