#include "toolkit/core/SMessageLoop.h"

#include <glib.h>

namespace SOUI {

namespace {

thread_local SMessageLoop* t_pCurrentLoop = nullptr;

gboolean RunPostedTask(gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

void FreePostedTask(gpointer data) {
    delete static_cast<std::function<void()>*>(data);
}

}  // namespace

int SMessageLoop::Run() {
    // Our own flag rather than GMainLoop's: a Quit from another thread just
    // before the loop starts must not be lost.
    // Make the context exist before other threads can learn that we run, so
    // their wakeups are ordered after its creation.
    g_main_context_default();
    m_pOuter = t_pCurrentLoop;
    t_pCurrentLoop = this;
    m_bRunning.store(true, std::memory_order_release);
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
    g_main_context_wakeup(nullptr);
}

bool SMessageLoop::IsRunning() const {
    return m_bRunning.load(std::memory_order_acquire);
}

SMessageLoop* SMessageLoop::GetCurrent() {
    return t_pCurrentLoop;
}

void SMessageLoop::PostTask(std::function<void()> task) {
    GSource* pSource = g_idle_source_new();
    // Same priority as input and timers, so posted work is not starved by them.
    g_source_set_priority(pSource, G_PRIORITY_DEFAULT);
    g_source_set_callback(pSource, RunPostedTask, new std::function<void()>(std::move(task)),
                          FreePostedTask);
    g_source_attach(pSource, nullptr);
    g_source_unref(pSource);
}

}  // namespace SOUI
