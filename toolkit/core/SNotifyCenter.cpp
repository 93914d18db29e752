#include "toolkit/core/SNotifyCenter.h"

#include "toolkit/core/SLog.h"

namespace SOUI {

std::atomic<SNotifyCenter*> SNotifyCenter::s_pSingleton{nullptr};

SNotifyCenter::SNotifyCenter()
    : m_pWake(std::make_unique<SWakeableSource>([this] { return HasQueued(); },
                                                [this] { DeliverNext(); })) {
    SNotifyCenter* pExpected = nullptr;
    if (!s_pSingleton.compare_exchange_strong(pExpected, this))
        SLog(L"%s a notification centre already exists; this one is not the singleton",
             L"SNotifyCenter::SNotifyCenter");
}

SNotifyCenter::~SNotifyCenter() {
    SNotifyCenter* pExpected = this;
    s_pSingleton.compare_exchange_strong(pExpected, nullptr);

    m_pWake.reset();
    std::deque<EventArgs*> left;
    {
        std::lock_guard<std::mutex> guard(m_queueLock);
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
    return m_maps.Add(slot);
}

bool SNotifyCenter::UnregisterEventMap(const ISlotFunctor& slot) {
    return m_maps.Remove(slot);
}

void SNotifyCenter::FireEventAsync(EventArgs* pEvt) {
    if (!pEvt) {
        SLog(L"%s null event", L"SNotifyCenter::FireEventAsync");
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_queueLock);
        m_queue.push_back(pEvt);
    }
    m_pWake->Wake();
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

bool SNotifyCenter::HasQueued() const {
    std::lock_guard<std::mutex> guard(m_queueLock);
    return !m_queue.empty();
}

// One event per loop turn, so timers and input interleave with a long queue.
void SNotifyCenter::DeliverNext() {
    EventArgs* pEvt = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_queueLock);
        if (m_queue.empty())
            return;
        pEvt = m_queue.front();
        m_queue.pop_front();
    }
    Deliver(pEvt);
    pEvt->Release();
}

bool SNotifyCenter::Deliver(EventArgs* pEvt) {
    const int nID = pEvt->GetID();
    if (IsMuted())
        return false;
    if (!isEventPresent(nID)) {
        SLog(L"%s event id [%d] name [%s] was not added; dropped", L"SNotifyCenter::Deliver", nID,
             pEvt->GetName());
        return false;
    }
    bool bHandled = FireEvent(pEvt);
    if (!pEvt->bubbleUp)
        return bHandled;
    return m_maps.Call(pEvt) || bHandled;
}

}  // namespace SOUI
