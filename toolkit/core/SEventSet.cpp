#include "toolkit/core/SEventSet.h"

#include "platform/WriteLog.h"

namespace SOUI {

bool SEventSet::addEvent(int nID, const SStringW& strName) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto [it, bAdded] = m_events.try_emplace(nID);
    if (!bAdded) {
        WriteLog(L"%s event id [%d] already added as [%s]", L"SEventSet::addEvent", nID,
                 it->second.strName.c_str());
        return false;
    }
    it->second.strName = strName;
    return true;
}

bool SEventSet::removeEvent(int nID) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    if (it == m_events.end())
        return false;
    for (auto& pSub : it->second.subs)
        pSub->bActive = false;
    m_events.erase(it);
    return true;
}

void SEventSet::removeAllEvents() {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& [nID, evt] : m_events)
        for (auto& pSub : evt.subs)
            pSub->bActive = false;
    m_events.clear();
}

bool SEventSet::isEventPresent(int nID) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_events.count(nID) != 0;
}

SStringW SEventSet::getEventName(int nID) const {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    return it == m_events.end() ? SStringW() : it->second.strName;
}

bool SEventSet::subscribeEvent(int nID, const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    if (it == m_events.end()) {
        WriteLog(L"%s event id [%d] was not added", L"SEventSet::subscribeEvent", nID);
        return false;
    }
    for (auto& pSub : it->second.subs)
        if (pSub->pSlot->Equal(slot))
            return false;
    auto pSub = std::make_shared<Subscription>();
    pSub->pSlot = slot.Clone();
    it->second.subs.push_back(std::move(pSub));
    return true;
}

bool SEventSet::unsubscribeEvent(int nID, const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    if (it == m_events.end())
        return false;
    auto& subs = it->second.subs;
    for (auto sub = subs.begin(); sub != subs.end(); ++sub) {
        if ((*sub)->pSlot->Equal(slot)) {
            (*sub)->bActive = false;
            subs.erase(sub);
            return true;
        }
    }
    return false;
}

bool SEventSet::FireEvent(EventArgs* pEvt) {
    if (!pEvt)
        return false;
    std::vector<std::shared_ptr<Subscription>> subs;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_bMute)
            return false;
        auto it = m_events.find(pEvt->GetID());
        if (it == m_events.end())
            return false;
        subs = it->second.subs;
    }
    bool bHandled = false;
    for (auto& pSub : subs) {
        {
            // A handler before this one may have unsubscribed it.
            std::lock_guard<std::mutex> guard(m_lock);
            if (!pSub->bActive)
                continue;
        }
        if (pSub->pSlot->Call(pEvt)) {
            ++pEvt->handled;
            bHandled = true;
        }
        if (!pEvt->bubbleUp)
            break;
    }
    return bHandled;
}

void SEventSet::SetMute(bool bMute) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_bMute = bMute;
}

bool SEventSet::IsMuted() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bMute;
}

}  // namespace SOUI
