#pragma once
#include <cstdint>

#include "toolkit/core/IMessageTarget.h"

namespace SOUI {

// Numbered timers per message target. Each tick reaches the target's message
// map as WM_TIMER with the timer id as first parameter, on the loop thread.
// Use from the loop thread only.
class STimerManager {
public:
    // Starts or restarts timer nID of the target; a period of 0 ticks as
    // often as the loop turns. False when pTarget is null.
    static bool SetTimer(IMessageTarget* pTarget, uintptr_t nID, unsigned int nElapseMs);
    // False when the target has no such timer.
    static bool KillTimer(IMessageTarget* pTarget, uintptr_t nID);
    // A target going away calls this so no tick reaches it afterwards.
    static void KillAllTimers(IMessageTarget* pTarget);
    static bool HasTimer(IMessageTarget* pTarget, uintptr_t nID);
};

}  // namespace SOUI
