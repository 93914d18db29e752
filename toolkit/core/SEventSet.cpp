#include "toolkit/core/SEventSet.h"

#include "toolkit/core/SLog.h"

namespace SOUI {

bool SEventSet::addEvent(int nID, const SStringW& strName) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto [it, bAdded] = m_events.try_emplace(nID);
    if (!bAdded) {
        SLog(L"%s event id [%d] already added as [%s]", L"SEventSet::addEvent", nID,
             it->second.strName.c_str());
        return false;
    }
    it->second.strName = strName;
    it->second.pSubs = std::make_shared<SSlotList>();
    return true;
}

bool SEventSet::removeEvent(int nID) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    if (it == m_events.end())
        return false;
    // A delivery under way must not reach its subscribers any more.
    it->second.pSubs->Clear();
    m_events.erase(it);
    return true;
}

void SEventSet::removeAllEvents() {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& [nID, evt] : m_events)
        evt.pSubs->Clear();
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
        SLog(L"%s event id [%d] was not added", L"SEventSet::subscribeEvent", nID);
        return false;
    }
    return it->second.pSubs->Add(slot);
}

bool SEventSet::unsubscribeEvent(int nID, const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_events.find(nID);
    return it != m_events.end() && it->second.pSubs->Remove(slot);
}

bool SEventSet::FireEvent(EventArgs* pEvt) {
    if (!pEvt)
        return false;
    std::shared_ptr<SSlotList> pSubs;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_bMute)
            return false;
        auto it = m_events.find(pEvt->GetID());
        if (it == m_events.end())
            return false;
        pSubs = it->second.pSubs;
    }
    return pSubs->Call(pEvt);
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
