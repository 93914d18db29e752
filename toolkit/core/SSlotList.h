#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "toolkit/core/EventArgs.h"
#include "toolkit/core/SSlot.h"

namespace SOUI {

// Slots in the order they were added, each at most once. Safe from any
// thread; slots are called outside the lock, so a slot may add or remove
// slots (itself included) while a call is under way.
class SSlotList {
public:
    // False when an equal slot is already there.
    bool Add(const ISlotFunctor& slot);
    bool Remove(const ISlotFunctor& slot);
    void Clear();

    // Hands the event to every slot still in the list at its turn, until one
    // clears bubbleUp; counts handlers in evt->handled. True if one handled it.
    bool Call(EventArgs* pEvt) const;

private:
    struct Entry {
        std::unique_ptr<ISlotFunctor> pSlot;
        bool bActive = true;
    };

    mutable std::mutex m_lock;
    std::vector<std::shared_ptr<Entry>> m_entries;
};

}  // namespace SOUI
