#include "toolkit/control/SImageButton.h"

namespace SOUI {

SImageButton::SImageButton() {
    m_uTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CSize SImageButton::GetDesiredSize(int nMaxWidth) const {
    CSize sz = SWindow::GetDesiredSize(nMaxWidth);
    if (sz.cx > 0) {
        sz.cx += 2 * kTextPadding;
    }
    if (m_pSkin) {
        CSize szSkin = m_pSkin->GetSkinSize();
        sz.cx = std::max(sz.cx, szSkin.cx);
        sz.cy = std::max(sz.cy, szSkin.cy);
    }
    return sz;
}

CRect SImageButton::GetTextRect() const {
    CRect rc = m_rcWindow;
    if (rc.Width() > 2 * kTextPadding) {
        rc.DeflateRect(kTextPadding, 0);
    }
    return rc;
}

}  // namespace SOUI
