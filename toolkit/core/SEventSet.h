#pragma once
#include <map>
#include <memory>
#include <mutex>

#include "toolkit/core/EventArgs.h"
#include "toolkit/core/SSlot.h"
#include "toolkit/core/SSlotList.h"
#include "toolkit/core/SString.h"

namespace SOUI {

// The events an object publishes, by ID, with their subscribers. An event
// reaches subscribers only once its ID has been added. All calls are safe
// from any thread; handlers run on the caller of FireEvent, outside the lock,
// so a handler may subscribe, unsubscribe or fire.
class SEventSet {
public:
    SEventSet() = default;
    virtual ~SEventSet() = default;
    SEventSet(const SEventSet&) = delete;
    SEventSet& operator=(const SEventSet&) = delete;

    // False (and a log line) when the ID is already there.
    bool addEvent(int nID, const SStringW& strName);
    bool removeEvent(int nID);
    void removeAllEvents();
    bool isEventPresent(int nID) const;
    // Empty when the ID was never added.
    SStringW getEventName(int nID) const;

    // False when the ID was not added or the slot is already subscribed.
    bool subscribeEvent(int nID, const ISlotFunctor& slot);
    bool unsubscribeEvent(int nID, const ISlotFunctor& slot);

    // Hands the event to the subscribers of its ID in subscription order,
    // each still subscribed at its turn. True when one of them handled it.
    bool FireEvent(EventArgs* pEvt);

    // Events of this set are dropped while muted.
    void SetMute(bool bMute);
    bool IsMuted() const;

private:
    struct Event {
        SStringW strName;
        std::shared_ptr<SSlotList> pSubs;
    };

    mutable std::mutex m_lock;
    std::map<int, Event> m_events;
    bool m_bMute = false;
};

}  // namespace SOUI
