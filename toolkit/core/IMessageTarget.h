#pragma once
#include "toolkit/core/SMessages.h"

namespace SOUI {

// A window's message map, as seen by the loop (timers) and by senders.
class IMessageTarget {
public:
    // True when the message was handled; lResult is then its result.
    virtual bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult) = 0;

protected:
    virtual ~IMessageTarget() = default;
};

}  // namespace SOUI
