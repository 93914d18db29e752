#include "toolkit/control/SCheckBox.h"

namespace SOUI {

bool SCheckBox::SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                             bool bLoading) {
    if (strName == L"checked") {
        m_attributes[strName] = strValue;
        SetCheck(strValue == L"1" || strValue == L"true");
        return true;
    }
    return SWindow::SetAttribute(strName, strValue, bLoading);
}

CRect SCheckBox::GetBoxRect() const {
    CSize sz = m_pSkin ? m_pSkin->GetSkinSize() : CSize(13, 13);
    int nTop = m_rcWindow.top + (m_rcWindow.Height() - sz.cy) / 2;
    return CRect(m_rcWindow.left, nTop, m_rcWindow.left + sz.cx, nTop + sz.cy);
}

CSize SCheckBox::GetDesiredSize(int nMaxWidth) const {
    CSize szBox = m_pSkin ? m_pSkin->GetSkinSize() : CSize(13, 13);
    CSize szText = SWindow::GetDesiredSize(nMaxWidth);
    return CSize(szBox.cx + kTextGap + szText.cx, std::max(szBox.cy, szText.cy));
}

void SCheckBox::OnPaint(IRenderTarget* pRT) {
    if (!m_crBkgnd.IsTransparent()) {
        pRT->FillRect(m_rcWindow, m_crBkgnd);
    }
    CRect rcBox = GetBoxRect();
    if (m_pSkin) {
        m_pSkin->Draw(pRT, rcBox, GetState() + (m_bChecked ? 4 : 0));
    }
    std::wstring strText = GetWindowText();
    if (!strText.empty()) {
        DrawText(pRT, strText, GetTextRect());
    }
}

CRect SCheckBox::GetTextRect() const {
    CRect rcText = m_rcWindow;
    rcText.left = std::min(rcText.right, GetBoxRect().right + kTextGap);
    return rcText;
}

bool SCheckBox::DoAccAction() {
    if (IsDisabled(true) || !IsVisible(true)) {
        return false;
    }
    Toggle();
    return true;
}

void SCheckBox::Toggle() {
    SetCheck(!m_bChecked);
    FireCommand();
}

void SCheckBox::OnLButtonUp(CPoint pt) {
    bool bWasPushed = m_bPushed;
    SetPushed(false);
    if (bWasPushed && m_rcWindow.PtInRect(pt) && !IsDisabled(true)) {
        Toggle();
    }
}

bool SCheckBox::OnKeyDown(unsigned nKeyval, unsigned) {
    if (!IsDisabled(true) &&
        (nKeyval == kHostKeySpace || nKeyval == kHostKeyReturn || nKeyval == kHostKeyKpEnter)) {
        Toggle();
        return true;
    }
    return false;
}

}  // namespace SOUI
