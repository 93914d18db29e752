#include "toolkit/control/SImageButton.h"

namespace SOUI {

SImageButton::SImageButton() {
    m_uTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CSize SImageButton::GetDesiredSize(int nMaxWidth) const {
    CSize sz = SWindow::GetDesiredSize(nMaxWidth);
    if (m_pSkin) {
        CSize szSkin = m_pSkin->GetSkinSize();
        sz.cx = std::max(sz.cx, szSkin.cx);
        sz.cy = std::max(sz.cy, szSkin.cy);
    }
    return sz;
}

}  // namespace SOUI
