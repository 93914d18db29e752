#include "toolkit/window/SFocusRing.h"

namespace SOUI {

CRect SFocusRing::OuterRect(const CRect& rcControl) {
    CRect rc = rcControl;
    rc.InflateRect(kGap + kWidth, kGap + kWidth);
    return rc;
}

void SFocusRing::Draw(IRenderTarget* pRT, const CRect& rcControl) {
    if (rcControl.IsRectEmpty()) {
        return;
    }
    pRT->DrawRectangle(OuterRect(rcControl), kColor, kWidth);
}

}  // namespace SOUI
