#include "toolkit/control/SImageButton.h"

#include <glib.h>

#include <algorithm>

#include "toolkit/core/SDesktopSettings.h"

namespace SOUI {

namespace {
// About one frame of a 60 Hz screen.
constexpr unsigned kFadeTickMs = 16;
}  // namespace

SImageButton::SImageButton() {
    m_uTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

SImageButton::~SImageButton() {
    StopFade();
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

unsigned char SImageButton::FadeAlphaAt(int64_t nNowUs) const {
    if (!IsFading()) {
        return 255;
    }
    const int64_t nSpentUs = std::max<int64_t>(0, nNowUs - m_nFadeStartUs);
    return static_cast<unsigned char>(
        std::min<int64_t>(255, nSpentUs * 255 / (int64_t(kFadeMs) * 1000)));
}

void SImageButton::StopFade() {
    m_nFadeFrom = -1;
    if (m_nFadeSource) {
        g_source_remove(m_nFadeSource);
        m_nFadeSource = 0;
    }
}

int SImageButton::OnFadeTick(void* pThis) {
    auto* pSelf = static_cast<SImageButton*>(pThis);
    pSelf->Invalidate();
    if (pSelf->FadeAlphaAt(g_get_monotonic_time()) < 255) {
        return G_SOURCE_CONTINUE;
    }
    // The last paint, already asked for, draws the new frame alone.
    pSelf->m_nFadeSource = 0;
    pSelf->m_nFadeFrom = -1;
    return G_SOURCE_REMOVE;
}

void SImageButton::OnPaint(IRenderTarget* pRT) {
    const int nState = GetState();
    if (nState != m_nShownState) {
        const bool bFade = m_nShownState >= 0 && m_pSkin && m_pSkin->GetStates() > 1 &&
                           GetAttribute(L"animate") == L"1" && SDesktopSettings::Get().bAnimations;
        // A change during a fade starts the next one from the frame shown last.
        StopFade();
        if (bFade) {
            m_nFadeFrom = m_nShownState;
            m_nFadeStartUs = g_get_monotonic_time();
            m_nFadeSource = g_timeout_add(kFadeTickMs, OnFadeTick, this);
        }
        m_nShownState = nState;
    }
    const unsigned char byAlpha = FadeAlphaAt(g_get_monotonic_time());
    if (!IsFading() || byAlpha == 255) {
        SWindow::OnPaint(pRT);
        return;
    }
    if (!m_crBkgnd.IsTransparent()) {
        pRT->FillRect(m_rcWindow, m_crBkgnd);
    }
    m_pSkin->Draw(pRT, m_rcWindow, m_nFadeFrom);
    m_pSkin->Draw(pRT, m_rcWindow, nState, byAlpha);
    std::wstring strText = GetWindowText();
    if (!strText.empty()) {
        DrawText(pRT, strText, GetTextRect());
    }
}

}  // namespace SOUI
