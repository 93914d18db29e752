#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A picture: its skin's first state stretched over the window. With
// `clickable="1"` it also acts as a button (a click fires its command).
class SImageWnd : public SWindow {
public:
    SOUI_CLASS_NAME(L"img")
    HostAccRole GetAccRole() const override {
        return IsClickable() ? HostAccRole::PushButton : HostAccRole::Image;
    }
    bool IsClickable() const override { return GetAttribute(L"clickable") == L"1"; }
    CSize GetDesiredSize(int) const override {
        return m_pSkin ? m_pSkin->GetSkinSize() : CSize(0, 0);
    }
};

}  // namespace SOUI
