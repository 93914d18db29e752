#pragma once
#include <cstdint>

#include "toolkit/core/SString.h"
#include "toolkit/core/TplEventArgs.h"

// One stage of an install run, from the worker to the window. The message is
// a key of the "msg_tip" translation context or a literal text.
class EventInstallCallBack : public SOUI::TplEventArgs<EventInstallCallBack> {
public:
    static constexpr int EventID = SOUI::EVT_EXTERNAL_BEGIN + 1;
    static constexpr const wchar_t* EventName = L"on_install_callback";

    explicit EventInstallCallBack(SOUI::IObject* pSender) : TplEventArgs(pSender) {}

    int32_t nPercent = 0;
    // 0 when all is well, -1 when the stage failed.
    int32_t nState = 0;
    SOUI::SStringW strMessage;
    // Why a failed stage failed: a "msg_tip" key and the number it names;
    // empty when all is well.
    SOUI::SStringW strReason;
    int32_t nReasonValue = 0;

protected:
    ~EventInstallCallBack() override = default;
};
