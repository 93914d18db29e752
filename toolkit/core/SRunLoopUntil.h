#pragma once
#include <functional>

namespace SOUI {

// Turns the loop of the calling thread (GLib's default context) until the
// condition holds or nTimeoutMs pass; true when it held. The condition is
// checked at least every few milliseconds, so it may watch other threads.
// Meant for tests and for bounded waits at shutdown.
bool RunLoopUntil(const std::function<bool()>& condition, int nTimeoutMs);

// Turns the loop for nMilliseconds, dispatching whatever comes.
void RunLoopFor(int nMilliseconds);

}  // namespace SOUI
