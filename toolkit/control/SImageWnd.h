#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A picture: its skin's first state stretched over the window.
class SImageWnd : public SWindow {
public:
    SOUI_CLASS_NAME(L"img")
    HostAccRole GetAccRole() const override { return HostAccRole::Image; }
    CSize GetDesiredSize(int) const override {
        return m_pSkin ? m_pSkin->GetSkinSize() : CSize(0, 0);
    }
};

}  // namespace SOUI
