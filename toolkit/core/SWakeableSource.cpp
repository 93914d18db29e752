#include "toolkit/core/SWakeableSource.h"

#include <glib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "toolkit/core/SLog.h"

namespace SOUI {

struct SWakeableSource::Source {
    GSource base;
    SWakeableSource* pOwner;
};

SWakeableSource::SWakeableSource(std::function<bool()> hasWork, std::function<void()> doOne)
    : m_fnHasWork(std::move(hasWork)), m_fnDoOne(std::move(doOne)) {
    m_nEventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_nEventFd < 0)
        SLog(L"%s eventfd failed errno=[%d]; other threads cannot wake the loop",
             L"SWakeableSource::SWakeableSource", errno);
    static GSourceFuncs s_funcs = {Prepare, Check, Dispatch, nullptr, nullptr, nullptr};
    m_pSource = g_source_new(&s_funcs, sizeof(Source));
    reinterpret_cast<Source*>(m_pSource)->pOwner = this;
    g_source_set_priority(m_pSource, G_PRIORITY_DEFAULT);
    g_source_set_can_recurse(m_pSource, TRUE);
    if (m_nEventFd >= 0)
        m_pFdTag = g_source_add_unix_fd(m_pSource, m_nEventFd, G_IO_IN);
    g_source_attach(m_pSource, nullptr);
}

SWakeableSource::~SWakeableSource() {
    g_source_destroy(m_pSource);
    g_source_unref(m_pSource);
    if (m_nEventFd >= 0)
        close(m_nEventFd);
}

void SWakeableSource::Wake() {
    if (m_nEventFd < 0)
        return;
    uint64_t one = 1;
    ssize_t ignored = write(m_nEventFd, &one, sizeof(one));
    (void)ignored;
}

void SWakeableSource::DrainWakeups() {
    if (m_nEventFd < 0)
        return;
    uint64_t count = 0;
    ssize_t ignored = read(m_nEventFd, &count, sizeof(count));
    (void)ignored;
}

int SWakeableSource::Prepare(GSource* pSource, int* pTimeout) {
    *pTimeout = -1;
    return reinterpret_cast<Source*>(pSource)->pOwner->m_fnHasWork();
}

int SWakeableSource::Check(GSource* pSource) {
    SWakeableSource* pOwner = reinterpret_cast<Source*>(pSource)->pOwner;
    // A wake with nothing to do still has to be drained, or poll spins.
    bool bWoken = pOwner->m_pFdTag && (g_source_query_unix_fd(pSource, pOwner->m_pFdTag) & G_IO_IN);
    return bWoken || pOwner->m_fnHasWork();
}

int SWakeableSource::Dispatch(GSource* pSource, int (*)(void*), void*) {
    SWakeableSource* pOwner = reinterpret_cast<Source*>(pSource)->pOwner;
    pOwner->DrainWakeups();
    if (pOwner->m_fnHasWork())
        pOwner->m_fnDoOne();
    return G_SOURCE_CONTINUE;
}

}  // namespace SOUI
