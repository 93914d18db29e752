#pragma once
#include <mutex>

namespace MyLock {

class IMyLock {
public:
    virtual ~IMyLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

// Re-entrant for the thread that holds it, like the system mutex it replaces.
class Mutex : public IMyLock {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex() override = default;
    void Lock() override { m_mutex.lock(); }
    void Unlock() override { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

class AutoLock {
public:
    explicit AutoLock(IMyLock* pLock) : m_pLock(pLock) { m_pLock->Lock(); }
    ~AutoLock() { m_pLock->Unlock(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    IMyLock* m_pLock;
};

}  // namespace MyLock
