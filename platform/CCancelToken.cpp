#include "platform/CCancelToken.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/WriteLog.h"

CCancelToken::CCancelToken() {
    m_nEventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_nEventFd < 0) WriteLog(L"%s eventfd failed errno=[%d]", L"CCancelToken::CCancelToken", errno);
}

CCancelToken::~CCancelToken() {
    if (m_nEventFd >= 0) close(m_nEventFd);
}

void CCancelToken::Cancel() {
    if (m_bCancelled.exchange(true, std::memory_order_acq_rel)) return;
    if (m_nEventFd >= 0) {
        uint64_t one = 1;
        ssize_t ignored = write(m_nEventFd, &one, sizeof(one));
        (void)ignored;
    }
}

void CCancelToken::Reset() {
    if (!m_bCancelled.exchange(false, std::memory_order_acq_rel)) return;
    if (m_nEventFd >= 0) {
        uint64_t count = 0;
        ssize_t ignored = read(m_nEventFd, &count, sizeof(count));
        (void)ignored;
    }
}

bool CCancelToken::SleepFor(int nMilliseconds) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(nMilliseconds);
    while (!IsCancelled()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return true;
        pollfd pfd{m_nEventFd, POLLIN, 0};
        int rc = poll(&pfd, m_nEventFd >= 0 ? 1 : 0, static_cast<int>(left.count()));
        if (rc < 0 && errno != EINTR) return !IsCancelled();
    }
    return false;
}
