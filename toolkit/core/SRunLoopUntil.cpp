#include "toolkit/core/SRunLoopUntil.h"

#include <glib.h>

#include <chrono>

#include "toolkit/core/SMessageLoop.h"

namespace SOUI {

namespace {

gboolean KeepTicking(gpointer) {
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool RunLoopUntil(const std::function<bool()>& condition, int nTimeoutMs) {
    using Clock = std::chrono::steady_clock;
    PrepareLoopThread();
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    // Wakes the blocking iteration so the condition and the deadline are
    // looked at even when nothing else happens.
    GSource* pTick = g_timeout_source_new(2);
    g_source_set_callback(pTick, KeepTicking, nullptr, nullptr);
    g_source_attach(pTick, nullptr);
    bool bHeld = condition();
    while (!bHeld && Clock::now() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
        bHeld = condition();
    }
    g_source_destroy(pTick);
    g_source_unref(pTick);
    return bHeld;
}

void RunLoopFor(int nMilliseconds) {
    RunLoopUntil([] { return false; }, nMilliseconds);
}

}  // namespace SOUI
