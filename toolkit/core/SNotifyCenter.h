#pragma once
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "toolkit/core/EventArgs.h"
#include "toolkit/core/SEventSet.h"
#include "toolkit/core/SSlot.h"
#include "toolkit/core/SSlotList.h"
#include "toolkit/core/SWakeableSource.h"

namespace SOUI {

// The process's one notification centre: carries events from any thread to
// the loop thread. Created with `new` on the loop thread before the windows
// that subscribe, deleted after them. Event IDs must be added (addEvent)
// before their events can be delivered.
class SNotifyCenter : public SEventSet {
public:
    SNotifyCenter();
    ~SNotifyCenter() override;

    // Null when none exists.
    static SNotifyCenter* getSingletonPtr();

    // Attaches an event map: from now on it receives every delivered event.
    // False when an equal slot is already attached. Loop thread.
    bool RegisterEventMap(const ISlotFunctor& slot);
    // Detaches the map attached with an equal slot; it receives nothing
    // more, even from a delivery already under way. Loop thread.
    bool UnregisterEventMap(const ISlotFunctor& slot);

    // Queues the event for delivery on the loop thread, after every event
    // queued before it. Takes over the caller's reference and releases it
    // once delivery is done, whoever handled it; handlers that want to keep
    // the event AddRef it. Safe from any thread.
    void FireEventAsync(EventArgs* pEvt);
    // Delivers at once on the calling thread; the caller keeps its reference.
    bool FireEventSync(EventArgs* pEvt);

    // Events queued and not yet delivered.
    size_t GetPendingCount() const;

private:
    bool HasQueued() const;
    void DeliverNext();
    bool Deliver(EventArgs* pEvt);

    static std::atomic<SNotifyCenter*> s_pSingleton;

    mutable std::mutex m_queueLock;
    std::deque<EventArgs*> m_queue;
    std::unique_ptr<SWakeableSource> m_pWake;

    SSlotList m_maps;
};

}  // namespace SOUI
