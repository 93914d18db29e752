#include "toolkit/control/SEdit.h"

namespace SOUI {

namespace {
constexpr unsigned kKeyBackSpace = 0xff08;
constexpr unsigned kKeyDelete = 0xffff;
constexpr unsigned kKeyLeft = 0xff51;
constexpr unsigned kKeyRight = 0xff53;
constexpr unsigned kKeyHome = 0xff50;
constexpr unsigned kKeyEnd = 0xff57;

// The character an X keysym types, or 0.
wchar_t KeysymToChar(unsigned nKeyval) {
    if ((nKeyval >= 0x20 && nKeyval <= 0x7e) || (nKeyval >= 0xa0 && nKeyval <= 0xff)) {
        return static_cast<wchar_t>(nKeyval);
    }
    if ((nKeyval & 0xff000000u) == 0x01000000u) {
        return static_cast<wchar_t>(nKeyval & 0x00ffffffu);
    }
    return 0;
}
}  // namespace

SEdit::SEdit() {
    m_uTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    m_nFocusable = 1;
    m_cursor = HostCursor::IBeam;
}

SEdit::~SEdit() {
    if (m_pNative && m_nNativeId) {
        m_pNative->DestroyEdit(m_nNativeId);
    }
}

void SEdit::SetWindowText(const std::wstring& strText) {
    SWindow::SetWindowText(strText);
    m_nCaret = m_strText.size();
    if (m_pNative && m_nNativeId) {
        m_pNative->SetEditText(m_nNativeId, m_strText);
    }
}

std::wstring SEdit::GetWindowText(bool) const {
    return m_strText;
}

std::wstring SEdit::GetAccName() const {
    std::wstring strTip = GetAttribute(L"tip");
    ISwndContainer* pContainer = GetContainer();
    return pContainer && !strTip.empty() ? pContainer->TranslateText(strTip) : strTip;
}

bool SEdit::OnKeyDown(unsigned nKeyval, unsigned nModifiers) {
    if (IsDisabled(true) || (nModifiers & (kHostModControl | kHostModAlt))) {
        return false;
    }
    switch (nKeyval) {
        case kKeyBackSpace:
            if (m_nCaret > 0) {
                m_strText.erase(--m_nCaret, 1);
            }
            break;
        case kKeyDelete:
            if (m_nCaret < m_strText.size()) {
                m_strText.erase(m_nCaret, 1);
            }
            break;
        case kKeyLeft:
            m_nCaret = m_nCaret > 0 ? m_nCaret - 1 : 0;
            break;
        case kKeyRight:
            m_nCaret = std::min(m_nCaret + 1, m_strText.size());
            break;
        case kKeyHome:
            m_nCaret = 0;
            break;
        case kKeyEnd:
            m_nCaret = m_strText.size();
            break;
        default: {
            wchar_t ch = KeysymToChar(nKeyval);
            if (!ch) {
                return false;
            }
            m_strText.insert(m_nCaret++, 1, ch);
        }
    }
    if (m_pNative && m_nNativeId) {
        m_pNative->SetEditText(m_nNativeId, m_strText);
    }
    Invalidate();
    return true;
}

void SEdit::OnLButtonDown(CPoint) {
    // Already focused in the model, the native entry may still have lost
    // the keyboard to the press.
    if (m_pNative && m_nNativeId) {
        m_pNative->FocusEdit(m_nNativeId);
    }
    m_nCaret = m_strText.size();
    Invalidate();
}

void SEdit::OnSetFocus() {
    if (m_pNative && m_nNativeId) {
        m_pNative->FocusEdit(m_nNativeId);
    }
}

void SEdit::OnNativeChanged(const std::wstring& strText) {
    m_strText = strText;
    m_nCaret = std::min(m_nCaret, m_strText.size());
    Invalidate();
}

void SEdit::SyncNative(IHostBackend* pBackend) {
    if (!pBackend || !pBackend->IsCreated()) {
        return;
    }
    HostRect rc{m_rcWindow.left, m_rcWindow.top, m_rcWindow.right, m_rcWindow.bottom};
    if (!m_nNativeId || m_pNative != pBackend) {
        HostEditParams params;
        params.rc = rc;
        params.strText = m_strText;
        SFontDesc font = GetFont();
        params.strFontFace = font.strFace;
        params.nFontSize = font.nSize;
        params.crText = GetTextColor().ToRGBA();
        params.crBackground = m_crBkgnd.IsTransparent() ? 0xffffffffu : m_crBkgnd.ToRGBA();
        m_pNative = pBackend;
        m_nNativeId = pBackend->CreateEdit(params);
    } else {
        pBackend->MoveEdit(m_nNativeId, rc);
    }
    pBackend->ShowEdit(m_nNativeId, IsVisible(true) && !m_rcWindow.IsRectEmpty());
}

void SEdit::OnPaint(IRenderTarget* pRT) {
    DrawBackground(pRT, m_rcWindow);
    CRect rcText = m_rcWindow;
    rcText.DeflateRect(2, 0);
    if (!m_strText.empty()) {
        DrawText(pRT, m_strText, rcText);
    }
    if (IsFocused()) {
        ISwndContainer* pContainer = GetContainer();
        int nX = rcText.left;
        if (pContainer && m_nCaret > 0) {
            nX +=
                pContainer->MeasureText(m_strText.substr(0, m_nCaret), GetFont(), m_uTextFormat, -1)
                    .cx;
        }
        int nHeight = GetFont().nSize + 2;
        int nTop = m_rcWindow.top + (m_rcWindow.Height() - nHeight) / 2;
        pRT->DrawLine(CPoint(nX, nTop), CPoint(nX, nTop + nHeight), GetTextColor());
    }
}

}  // namespace SOUI
