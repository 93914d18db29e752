#pragma once
#include <atomic>
#include <functional>

namespace SOUI {

// One run of the toolkit's message loop on GLib's default main context, the
// context GTK dispatches on. Loops nest (a modal dialog runs one inside a
// handler); timers, posted work and notifications keep flowing in any of them.
class SMessageLoop {
public:
    SMessageLoop() = default;
    SMessageLoop(const SMessageLoop&) = delete;
    SMessageLoop& operator=(const SMessageLoop&) = delete;

    // Dispatches until Quit; returns the code given to Quit. A Quit that
    // came before Run makes Run return at once.
    int Run();
    // Safe from any thread.
    void Quit(int nCode = 0);
    bool IsRunning() const;

    // The innermost loop running on the calling thread, or null.
    static SMessageLoop* GetCurrent();

    // Runs the task on the loop's thread at its next turn, in posting order.
    // Safe from any thread.
    static void PostTask(std::function<void()> task);

private:
    std::atomic<bool> m_bQuit{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<int> m_nExitCode{0};
    SMessageLoop* m_pOuter = nullptr;
};

// Makes the current thread able to receive posted tasks and wakes from
// other threads. Run() and RunLoopUntil() call it; a host that turns the
// default context itself calls it once on the loop thread first.
void PrepareLoopThread();

}  // namespace SOUI
