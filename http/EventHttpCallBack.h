#pragma once
#include "toolkit/core/SString.h"
#include "toolkit/core/TplEventArgs.h"

// Announces the answer of one asynchronous request. It does not say whether
// the request succeeded; the request thread's log line does.
class EventHttpCallBack : public SOUI::TplEventArgs<EventHttpCallBack> {
public:
    static constexpr int EventID = SOUI::EVT_EXTERNAL_BEGIN + 2;
    static constexpr const wchar_t* EventName = L"on_httpcallback";

    explicit EventHttpCallBack(SOUI::IObject* pSender) : TplEventArgs(pSender) {}

    int userid = 0;
    int param = 0;
    // The answer's body, empty when nothing was received.
    SOUI::SStringW strResponse;

protected:
    ~EventHttpCallBack() override = default;
};
