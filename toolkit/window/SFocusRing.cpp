#include "toolkit/window/SFocusRing.h"

namespace SOUI {

CRect SFocusRing::OuterRect(const CRect& rcControl) {
    CRect rc = rcControl;
    rc.InflateRect(kGap + kWidth + kHalo, kGap + kWidth + kHalo);
    return rc;
}

void SFocusRing::Draw(IRenderTarget* pRT, const CRect& rcControl) {
    if (rcControl.IsRectEmpty()) {
        return;
    }
    CRect rc = OuterRect(rcControl);
    pRT->DrawRectangle(rc, kHaloColor, kHalo);
    rc.DeflateRect(kHalo, kHalo);
    pRT->DrawRectangle(rc, kColor, kWidth);
}

}  // namespace SOUI
