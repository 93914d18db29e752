#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A clickable text with its own hover colour and font.
class SLink : public SWindow {
public:
    SOUI_CLASS_NAME(L"link")
    SLink() {
        m_uTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
        m_cursor = HostCursor::Hand;
    }
    bool IsClickable() const override { return true; }
    HostAccRole GetAccRole() const override { return HostAccRole::Link; }
};

}  // namespace SOUI
