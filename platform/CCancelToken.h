#pragma once
#include <atomic>

// Cooperative shutdown of a worker: set once by the owner, observed by
// transfers (progress callback) and child waits (poll on GetFd()).
class CCancelToken {
public:
    CCancelToken();
    ~CCancelToken();
    CCancelToken(const CCancelToken&) = delete;
    CCancelToken& operator=(const CCancelToken&) = delete;

    // Idempotent; safe from any thread.
    void Cancel();
    bool IsCancelled() const { return m_bCancelled.load(std::memory_order_acquire); }
    // Becomes readable (POLLIN) once cancelled; stays readable.
    int GetFd() const { return m_nEventFd; }
    // Sleeps up to nMilliseconds; returns false when cancelled before or during the wait.
    bool SleepFor(int nMilliseconds) const;

protected:
    // Uncancelled again, for a token that outlives one run (the process's own).
    // Not while another thread waits on it.
    void Reset();

private:
    std::atomic<bool> m_bCancelled{false};
    int m_nEventFd = -1;
};
