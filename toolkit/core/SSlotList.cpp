#include "toolkit/core/SSlotList.h"

namespace SOUI {

bool SSlotList::Add(const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& pEntry : m_entries)
        if (pEntry->pSlot->Equal(slot))
            return false;
    auto pEntry = std::make_shared<Entry>();
    pEntry->pSlot = slot.Clone();
    m_entries.push_back(std::move(pEntry));
    return true;
}

bool SSlotList::Remove(const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->pSlot->Equal(slot)) {
            (*it)->bActive = false;
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

void SSlotList::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& pEntry : m_entries)
        pEntry->bActive = false;
    m_entries.clear();
}

bool SSlotList::Call(EventArgs* pEvt) const {
    std::vector<std::shared_ptr<Entry>> entries;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        entries = m_entries;
    }
    bool bHandled = false;
    for (auto& pEntry : entries) {
        {
            // An earlier slot may have removed this one.
            std::lock_guard<std::mutex> guard(m_lock);
            if (!pEntry->bActive)
                continue;
        }
        if (pEntry->pSlot->Call(pEvt)) {
            ++pEvt->handled;
            bHandled = true;
        }
        if (!pEvt->bubbleUp)
            break;
    }
    return bHandled;
}

}  // namespace SOUI
