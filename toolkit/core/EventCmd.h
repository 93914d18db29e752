#pragma once
#include "toolkit/core/TplEventArgs.h"

namespace SOUI {

// A control was clicked; nameFrom and idFrom say which.
class EventCmd : public TplEventArgs<EventCmd> {
public:
    static constexpr int EventID = EVT_CMD;
    static constexpr const wchar_t* EventName = L"on_command";

    explicit EventCmd(IObject* pSender) : TplEventArgs(pSender) {}

protected:
    ~EventCmd() override = default;
};

}  // namespace SOUI
