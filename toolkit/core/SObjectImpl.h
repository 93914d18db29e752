#pragma once
#include <atomic>

#include "toolkit/core/IObjRef.h"

namespace SOUI {

// Thread-safe reference count over an interface T derived from IObjRef.
// Objects start with one reference, owned by their creator.
template <class T>
class SObjectImpl : public T {
public:
    SObjectImpl() = default;
    SObjectImpl(const SObjectImpl&) = delete;
    SObjectImpl& operator=(const SObjectImpl&) = delete;

    long AddRef() override { return m_nRef.fetch_add(1, std::memory_order_relaxed) + 1; }

    long Release() override {
        long nLeft = m_nRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (nLeft == 0)
            OnFinalRelease();
        return nLeft;
    }

    void OnFinalRelease() override { delete this; }

    long GetRefCount() const { return m_nRef.load(std::memory_order_acquire); }

protected:
    ~SObjectImpl() override = default;

private:
    std::atomic<long> m_nRef{1};
};

}  // namespace SOUI
