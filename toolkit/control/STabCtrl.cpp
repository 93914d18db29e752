#include "toolkit/control/STabCtrl.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {
bool IsWithin(const SWindow* pWnd, const SWindow* pAncestor) {
    for (; pWnd; pWnd = pWnd->GetParent()) {
        if (pWnd == pAncestor) {
            return true;
        }
    }
    return false;
}

SWindow* FirstFocusable(SWindow* pWnd) {
    for (size_t i = 0; pWnd && i < pWnd->GetChildrenCount(); ++i) {
        SWindow* pChild = pWnd->GetChild(i);
        if (!pChild->IsVisible()) {
            continue;
        }
        if (pChild->IsFocusable() && !pChild->IsDisabled(true)) {
            return pChild;
        }
        if (SWindow* pFound = FirstFocusable(pChild)) {
            return pFound;
        }
    }
    return nullptr;
}
}  // namespace

bool STabCtrl::SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                            bool bLoading) {
    if (strName == L"curSel" || strName == L"tabHeight" || strName == L"tabSkin") {
        m_attributes[strName] = strValue;
        int n = 0;
        ParseInt(strValue, n);
        if (strName == L"curSel") {
            m_nCurSel = n;
            if (!bLoading) {
                SetCurSel(n);
            }
        } else if (strName == L"tabHeight") {
            m_nTabHeight = std::max(0, n);
            if (!bLoading) {
                RequestRelayout();
            }
        }
        return true;
    }
    return SWindow::SetAttribute(strName, strValue, bLoading);
}

SWindow* STabCtrl::GetPage(int nIndex) const {
    return nIndex >= 0 ? GetChild(static_cast<size_t>(nIndex)) : nullptr;
}

bool STabCtrl::SetCurSel(int nIndex) {
    if (!GetPage(nIndex)) {
        SLogA("STabCtrl::SetCurSel no page %d of %zu", nIndex, m_children.size());
        return false;
    }
    // The keyboard follows the page: a focus on the page that goes, or on
    // nothing, moves to the first control of the page that comes, so a
    // keyboard or screen reader user lands on it.
    ISwndContainer* pContainer = GetContainer();
    SWindow* pFocus = pContainer ? pContainer->GetFocus() : nullptr;
    bool bFollow = !pFocus || IsWithin(pFocus, GetPage(m_nCurSel));
    // Controls of the page that goes leave the screen reader's tree: what
    // they last said (a bar's final value) is heard first.
    if (IHostBackend* pBackend = pContainer ? pContainer->GetBackend() : nullptr) {
        pBackend->FlushAccessible();
    }
    m_nCurSel = nIndex;
    ShowOnly(nIndex);
    if (bFollow && pContainer) {
        if (SWindow* pFirst = FirstFocusable(GetPage(nIndex))) {
            pContainer->SetFocus(pFirst);
        }
    }
    return true;
}

void STabCtrl::ShowOnly(int nIndex) {
    for (size_t i = 0; i < m_children.size(); ++i) {
        m_children[i]->SetVisible(static_cast<int>(i) == nIndex, true);
    }
    Invalidate();
}

CRect STabCtrl::GetChildrenLayoutRect() const {
    CRect rc = m_rcWindow;
    rc.top = std::min(rc.bottom, rc.top + m_nTabHeight);
    return rc;
}

void STabCtrl::UpdateChildrenPosition() {
    // Every page fills the area under the header, whatever its pos says.
    CRect rc = GetChildrenLayoutRect();
    for (size_t i = 0; i < m_children.size(); ++i) {
        m_children[i]->SetVisible(static_cast<int>(i) == m_nCurSel, false);
        m_children[i]->Move(rc);
    }
}

void STabCtrl::OnPaint(IRenderTarget* pRT) {
    DrawBackground(pRT, m_rcWindow);
    if (m_nTabHeight <= 0) {
        return;
    }
    // Headers: the page titles side by side.
    int nCount = static_cast<int>(m_children.size());
    if (nCount == 0) {
        return;
    }
    int nWidth = m_rcWindow.Width() / nCount;
    for (int i = 0; i < nCount; ++i) {
        CRect rc(m_rcWindow.left + i * nWidth, m_rcWindow.top, m_rcWindow.left + (i + 1) * nWidth,
                 m_rcWindow.top + m_nTabHeight);
        std::wstring strTitle = m_children[i]->GetAttribute(L"title");
        ISwndContainer* pContainer = GetContainer();
        if (pContainer) {
            strTitle = pContainer->TranslateText(strTitle);
        }
        DrawText(pRT, strTitle, rc);
    }
}

}  // namespace SOUI
