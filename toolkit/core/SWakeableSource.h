#pragma once
#include <functional>

typedef struct _GSource GSource;

namespace SOUI {

// A source on GLib's default main context that other threads wake through
// an eventfd, so they never call into GLib themselves (GLib's own locking is
// invisible to ThreadSanitizer, and a wake is one system call). Created and
// destroyed on the loop thread. While hasWork() answers true, the loop calls
// doOne() once per turn; a handler may run a nested loop, in which the
// source keeps dispatching.
class SWakeableSource {
public:
    SWakeableSource(std::function<bool()> hasWork, std::function<void()> doOne);
    ~SWakeableSource();
    SWakeableSource(const SWakeableSource&) = delete;
    SWakeableSource& operator=(const SWakeableSource&) = delete;

    // Any thread: makes the loop look at hasWork() again.
    void Wake();

private:
    struct Source;
    static int Prepare(GSource* pSource, int* pTimeout);
    static int Check(GSource* pSource);
    static int Dispatch(GSource* pSource, int (*)(void*), void*);
    void DrainWakeups();

    std::function<bool()> m_fnHasWork;
    std::function<void()> m_fnDoOne;
    int m_nEventFd = -1;
    GSource* m_pSource = nullptr;
    void* m_pFdTag = nullptr;
};

}  // namespace SOUI
