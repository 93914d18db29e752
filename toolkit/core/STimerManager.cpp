#include "toolkit/core/STimerManager.h"

#include <glib.h>

#include <map>
#include <utility>

#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {

struct TimerRecord {
    IMessageTarget* pTarget;
    uintptr_t nID;
    GSource* pSource;
};

using TimerKey = std::pair<IMessageTarget*, uintptr_t>;

std::map<TimerKey, TimerRecord*>& Timers() {
    static std::map<TimerKey, TimerRecord*> s_timers;
    return s_timers;
}

gboolean OnTick(gpointer data) {
    // The handler may kill or restart this very timer, which frees the
    // record; copy what we need first and touch nothing afterwards.
    auto* pRecord = static_cast<TimerRecord*>(data);
    IMessageTarget* pTarget = pRecord->pTarget;
    LRESULT lResult = 0;
    pTarget->ProcessWindowMessage(WM_TIMER, pRecord->nID, 0, lResult);
    return G_SOURCE_CONTINUE;
}

void DestroyRecord(TimerRecord* pRecord) {
    g_source_destroy(pRecord->pSource);
    g_source_unref(pRecord->pSource);
    delete pRecord;
}

}  // namespace

bool STimerManager::SetTimer(IMessageTarget* pTarget, uintptr_t nID, unsigned int nElapseMs) {
    if (!pTarget) {
        SLog(L"%s no target for timer [%d]", L"STimerManager::SetTimer", static_cast<int>(nID));
        return false;
    }
    auto& timers = Timers();
    auto it = timers.find({pTarget, nID});
    if (it != timers.end()) {
        DestroyRecord(it->second);
        timers.erase(it);
    }
    auto* pRecord = new TimerRecord{pTarget, nID, g_timeout_source_new(nElapseMs)};
    g_source_set_callback(pRecord->pSource, OnTick, pRecord, nullptr);
    g_source_attach(pRecord->pSource, nullptr);
    timers.emplace(TimerKey{pTarget, nID}, pRecord);
    return true;
}

bool STimerManager::KillTimer(IMessageTarget* pTarget, uintptr_t nID) {
    auto& timers = Timers();
    auto it = timers.find({pTarget, nID});
    if (it == timers.end())
        return false;
    DestroyRecord(it->second);
    timers.erase(it);
    return true;
}

void STimerManager::KillAllTimers(IMessageTarget* pTarget) {
    auto& timers = Timers();
    for (auto it = timers.lower_bound({pTarget, 0});
         it != timers.end() && it->first.first == pTarget;) {
        DestroyRecord(it->second);
        it = timers.erase(it);
    }
}

bool STimerManager::HasTimer(IMessageTarget* pTarget, uintptr_t nID) {
    return Timers().count({pTarget, nID}) != 0;
}

}  // namespace SOUI
