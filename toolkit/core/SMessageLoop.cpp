#include "toolkit/core/SMessageLoop.h"

#include <glib.h>

#include <deque>
#include <memory>
#include <mutex>

#include "toolkit/core/SWakeableSource.h"

namespace SOUI {

namespace {

thread_local SMessageLoop* t_pCurrentLoop = nullptr;

// Work posted from any thread, run on the loop thread. The source is made
// by the loop thread the first time it turns the loop; tasks posted before
// that wait in the queue.
class TaskInbox {
public:
    void Post(std::function<void()> task) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_tasks.push_back(std::move(task));
        if (m_pWake)
            m_pWake->Wake();
    }
    void Wake() {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_pWake)
            m_pWake->Wake();
    }
    void EnsureSource() {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_pWake)
            return;
        m_pWake =
            std::make_unique<SWakeableSource>([this] { return HasTasks(); }, [this] { RunOne(); });
    }

private:
    bool HasTasks() {
        std::lock_guard<std::mutex> guard(m_lock);
        return !m_tasks.empty();
    }
    void RunOne() {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }

    std::mutex m_lock;
    std::deque<std::function<void()>> m_tasks;
    std::unique_ptr<SWakeableSource> m_pWake;
};

TaskInbox& Inbox() {
    // Never destroyed: posts may come while static destruction runs.
    static TaskInbox* s_pInbox = new TaskInbox;
    return *s_pInbox;
}

}  // namespace

void PrepareLoopThread() {
    Inbox().EnsureSource();
}

int SMessageLoop::Run() {
    PrepareLoopThread();
    m_pOuter = t_pCurrentLoop;
    t_pCurrentLoop = this;
    m_bRunning.store(true, std::memory_order_release);
    // Our own flag rather than GMainLoop's: a Quit from another thread just
    // before the loop starts must not be lost.
    while (!m_bQuit.load(std::memory_order_acquire))
        g_main_context_iteration(nullptr, TRUE);
    m_bRunning.store(false, std::memory_order_release);
    t_pCurrentLoop = m_pOuter;
    m_pOuter = nullptr;
    m_bQuit.store(false, std::memory_order_release);
    return m_nExitCode.load(std::memory_order_acquire);
}

void SMessageLoop::Quit(int nCode) {
    m_nExitCode.store(nCode, std::memory_order_release);
    m_bQuit.store(true, std::memory_order_release);
    // Unblocks the iteration so the flag is seen.
    Inbox().Wake();
}

bool SMessageLoop::IsRunning() const {
    return m_bRunning.load(std::memory_order_acquire);
}

SMessageLoop* SMessageLoop::GetCurrent() {
    return t_pCurrentLoop;
}

void SMessageLoop::PostTask(std::function<void()> task) {
    Inbox().Post(std::move(task));
}

}  // namespace SOUI
