#include "toolkit/core/SNotifyCenter.h"

#include <glib.h>

#include "platform/WriteLog.h"

namespace SOUI {

std::atomic<SNotifyCenter*> SNotifyCenter::s_pSingleton{nullptr};

SNotifyCenter::SNotifyCenter() {
    // Created here, on the loop thread, before any firer thread exists.
    g_main_context_default();
    SNotifyCenter* pExpected = nullptr;
    if (!s_pSingleton.compare_exchange_strong(pExpected, this))
        WriteLog(L"%s a notification centre already exists; this one is not the singleton",
                 L"SNotifyCenter::SNotifyCenter");
}

SNotifyCenter::~SNotifyCenter() {
    SNotifyCenter* pExpected = this;
    s_pSingleton.compare_exchange_strong(pExpected, nullptr);

    std::deque<EventArgs*> left;
    {
        std::lock_guard<std::mutex> guard(m_queueLock);
        if (m_pSource) {
            g_source_destroy(m_pSource);
            g_source_unref(m_pSource);
            m_pSource = nullptr;
        }
        left.swap(m_queue);
    }
    // Nobody is left to see them; release what the firers handed over.
    for (EventArgs* pEvt : left)
        pEvt->Release();
}

SNotifyCenter* SNotifyCenter::getSingletonPtr() {
    return s_pSingleton.load(std::memory_order_acquire);
}

bool SNotifyCenter::RegisterEventMap(const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (auto& pMap : m_maps)
        if (pMap->pSlot->Equal(slot))
            return false;
    auto pMap = std::make_shared<EventMap>();
    pMap->pSlot = slot.Clone();
    m_maps.push_back(std::move(pMap));
    return true;
}

bool SNotifyCenter::UnregisterEventMap(const ISlotFunctor& slot) {
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (auto it = m_maps.begin(); it != m_maps.end(); ++it) {
        if ((*it)->pSlot->Equal(slot)) {
            (*it)->bActive = false;
            m_maps.erase(it);
            return true;
        }
    }
    return false;
}

void SNotifyCenter::FireEventAsync(EventArgs* pEvt) {
    if (!pEvt) {
        WriteLog(L"%s null event", L"SNotifyCenter::FireEventAsync");
        return;
    }
    std::lock_guard<std::mutex> guard(m_queueLock);
    m_queue.push_back(pEvt);
    if (m_pSource)
        return;
    m_pSource = g_idle_source_new();
    g_source_set_priority(m_pSource, G_PRIORITY_DEFAULT);
    // A handler may run a nested (modal) loop; events keep flowing in it.
    g_source_set_can_recurse(m_pSource, TRUE);
    g_source_set_callback(m_pSource, reinterpret_cast<GSourceFunc>(OnDispatch), this, nullptr);
    g_source_attach(m_pSource, nullptr);
}

bool SNotifyCenter::FireEventSync(EventArgs* pEvt) {
    if (!pEvt)
        return false;
    return Deliver(pEvt);
}

size_t SNotifyCenter::GetPendingCount() const {
    std::lock_guard<std::mutex> guard(m_queueLock);
    return m_queue.size();
}

int SNotifyCenter::OnDispatch(void* pThis) {
    auto* pCenter = static_cast<SNotifyCenter*>(pThis);
    EventArgs* pEvt = nullptr;
    int nResult = G_SOURCE_CONTINUE;
    {
        std::lock_guard<std::mutex> guard(pCenter->m_queueLock);
        if (!pCenter->m_queue.empty()) {
            pEvt = pCenter->m_queue.front();
            pCenter->m_queue.pop_front();
        }
        if (pCenter->m_queue.empty()) {
            // The context keeps the source alive until this dispatch returns.
            g_source_unref(pCenter->m_pSource);
            pCenter->m_pSource = nullptr;
            nResult = G_SOURCE_REMOVE;
        }
    }
    // One event per turn, so timers and input interleave with a long queue.
    if (pEvt) {
        pCenter->Deliver(pEvt);
        pEvt->Release();
    }
    return nResult;
}

bool SNotifyCenter::Deliver(EventArgs* pEvt) {
    const int nID = pEvt->GetID();
    if (IsMuted())
        return false;
    if (!isEventPresent(nID)) {
        WriteLog(L"%s event id [%d] name [%s] was not added; dropped", L"SNotifyCenter::Deliver",
                 nID, pEvt->GetName());
        return false;
    }
    bool bHandled = FireEvent(pEvt);
    std::vector<std::shared_ptr<EventMap>> maps;
    {
        std::lock_guard<std::mutex> guard(m_mapLock);
        maps = m_maps;
    }
    for (auto& pMap : maps) {
        {
            std::lock_guard<std::mutex> guard(m_mapLock);
            if (!pMap->bActive)
                continue;
        }
        if (pMap->pSlot->Call(pEvt)) {
            ++pEvt->handled;
            bHandled = true;
        }
        if (!pEvt->bubbleUp)
            break;
    }
    return bHandled;
}

}  // namespace SOUI
