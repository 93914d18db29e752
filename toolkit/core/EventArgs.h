#pragma once
#include "toolkit/core/IObjRef.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/core/SString.h"

namespace SOUI {

enum {
    // A control's command (click) notification.
    EVT_CMD = 10000,
    // IDs from here on belong to the program using the toolkit.
    EVT_EXTERNAL_BEGIN = 10000000,
};

// A reference-counted event. The sender's ID and name are copied when the
// event is made, so a handler can read them even after the sender is gone;
// `sender` itself is only valid while the sender lives.
class EventArgs : public SObjectImpl<IObject> {
public:
    explicit EventArgs(IObject* pSender)
        : sender(pSender),
          idFrom(pSender ? pSender->GetID() : 0),
          nameFrom(pSender ? pSender->GetName() : L"") {}

    IObject* sender;
    int idFrom;
    SStringW nameFrom;
    // How many handlers reported the event as handled.
    int handled = 0;
    bool bubbleUp = true;

protected:
    ~EventArgs() override = default;
};

}  // namespace SOUI
