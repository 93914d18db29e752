#pragma once
#include <glib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "toolkit/core/SMessageLoop.h"

// Quits a loop that is still running after a generous limit, so that a
// fault shows as a failed check instead of a hung test.
class LoopGuard {
public:
    LoopGuard(SOUI::SMessageLoop& loop, int nSeconds)
        : m_thread([this, &loop, nSeconds] {
              std::unique_lock<std::mutex> hold(m_lock);
              if (!m_done.wait_for(hold, std::chrono::seconds(nSeconds),
                                   [this] { return m_bDone; })) {
                  m_bFired = true;
                  loop.Quit(-1);
                  // In case the fault is that our own wake-up is not heard.
                  g_main_context_wakeup(nullptr);
              }
          }) {}
    ~LoopGuard() {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_bDone = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    bool Fired() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_bFired;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_bDone = false;
    bool m_bFired = false;
    std::thread m_thread;
};
