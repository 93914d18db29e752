#include "toolkit/control/SWindow.h"

#include <algorithm>
#include <cwctype>

#include "toolkit/core/EventCmd.h"
#include "toolkit/core/SDesktopSettings.h"
#include "toolkit/core/SLog.h"
#include "toolkit/layout/SAnchorLayout.h"

namespace SOUI {

namespace {
bool ParseBool(const std::wstring& str) {
    return !str.empty() && str != L"0" && str != L"false";
}

uintptr_t NextAccId() {
    // Windows are made on the window thread only.
    static uintptr_t s_nNext = 0;
    return ++s_nNext;
}

int ParseIntAttr(const std::wstring& str, int nDefault) {
    try {
        size_t nUsed = 0;
        int n = std::stoi(str, &nUsed, 0);
        return n;
    } catch (...) {
        return nDefault;
    }
}

bool ParseSize(const std::wstring& str, CSize& sz) {
    size_t nComma = str.find(L',');
    if (nComma == std::wstring::npos) {
        return false;
    }
    int cx = ParseIntAttr(str.substr(0, nComma), -1);
    int cy = ParseIntAttr(str.substr(nComma + 1), -1);
    if (cx < 0 || cy < 0) {
        return false;
    }
    sz = CSize(cx, cy);
    return true;
}
}  // namespace

SWindow::SWindow() : m_nAccId(NextAccId()) {}

SWindow::~SWindow() {
    // Children go first, so the container hears of them before of us.
    m_children.clear();
    if (ISwndContainer* pContainer = GetContainer()) {
        pContainer->OnWindowRemoved(this);
    }
}

SWindow* SWindow::GetChild(size_t nIndex) const {
    return nIndex < m_children.size() ? m_children[nIndex].get() : nullptr;
}

SWindow* SWindow::InsertChild(std::unique_ptr<SWindow> pChild) {
    pChild->m_pParent = this;
    m_children.push_back(std::move(pChild));
    return m_children.back().get();
}

SWindow* SWindow::GetPrevSibling() const {
    if (!m_pParent) {
        return nullptr;
    }
    SWindow* pPrev = nullptr;
    for (const auto& p : m_pParent->m_children) {
        if (p.get() == this) {
            return pPrev;
        }
        pPrev = p.get();
    }
    return nullptr;
}

SWindow* SWindow::GetRoot() {
    SWindow* p = this;
    while (p->m_pParent) {
        p = p->m_pParent;
    }
    return p;
}

ISwndContainer* SWindow::GetContainer() const {
    const SWindow* p = this;
    while (p) {
        if (p->m_pContainer) {
            return p->m_pContainer;
        }
        p = p->m_pParent;
    }
    return nullptr;
}

SWindow* SWindow::FindChildByName(const std::wstring& strName, int nDeep) const {
    if (nDeep == 0 || strName.empty()) {
        return nullptr;
    }
    for (const auto& p : m_children) {
        if (p->m_strName == strName) {
            return p.get();
        }
    }
    for (const auto& p : m_children) {
        if (SWindow* pFound = p->FindChildByName(strName, nDeep < 0 ? -1 : nDeep - 1)) {
            return pFound;
        }
    }
    return nullptr;
}

SWindow* SWindow::FindChildByID(int nID, int nDeep) const {
    if (nDeep == 0) {
        return nullptr;
    }
    for (const auto& p : m_children) {
        if (p->m_nID == nID) {
            return p.get();
        }
    }
    for (const auto& p : m_children) {
        if (SWindow* pFound = p->FindChildByID(nID, nDeep < 0 ? -1 : nDeep - 1)) {
            return pFound;
        }
    }
    return nullptr;
}

void SWindow::LogFindFailure(const wchar_t* pszClass, const std::wstring& strName, int nDeep) {
    SLog(
        L"SWindow::FindChildByName2 Tovadoc: FindChildByName2 Failed, no window of class [%s] "
        L"with name of [%s] was found within [%d] levels",
        pszClass, strName.c_str(), nDeep);
}

bool SWindow::SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                           bool bLoading) {
    // "hc.X" is the high-contrast variant of X: it wins over X in a layout,
    // whichever comes first, when the desktop asks for high contrast.
    const bool bHighContrast = SDesktopSettings::Get().bHighContrast;
    if (strName.rfind(L"hc.", 0) == 0) {
        const bool bDone = !bHighContrast || SetAttribute(strName.substr(3), strValue, bLoading);
        m_attributes[strName] = strValue;
        return bDone;
    }
    if (bLoading && bHighContrast && m_attributes.count(L"hc." + strName)) {
        return true;
    }
    m_attributes[strName] = strValue;
    bool bRelayout = false;
    if (strName == L"name") {
        m_strName = strValue;
    } else if (strName == L"id") {
        m_nID = ParseIntAttr(strValue, m_nID);
    } else if (strName == L"pos") {
        SLayoutPos pos;
        if (!pos.Parse(strValue)) {
            SLog(L"SWindow::SetAttribute bad pos [%s] of [%s]", strValue.c_str(),
                 m_strName.c_str());
            return false;
        }
        m_pos = pos;
        bRelayout = true;
    } else if (strName == L"size") {
        if (!ParseSize(strValue, m_szFixed)) {
            SLog(L"SWindow::SetAttribute bad size [%s] of [%s]", strValue.c_str(),
                 m_strName.c_str());
            return false;
        }
        bRelayout = true;
    } else if (strName == L"skin") {
        ISwndContainer* pContainer = GetContainer();
        ISkinObj* pSkin =
            pContainer && !strValue.empty() ? pContainer->FindSkin(strValue) : nullptr;
        if (!pSkin && !strValue.empty()) {
            SLog(L"SWindow::SetAttribute no skin [%s] for [%s]", strValue.c_str(),
                 m_strName.c_str());
        }
        m_pSkin = pSkin;
    } else if (strName == L"colorBkgnd") {
        SColor::Parse(strValue, m_crBkgnd);
    } else if (strName == L"colorText") {
        m_bTextColorSet = SColor::Parse(strValue, m_crText);
    } else if (strName == L"colorTextHover") {
        m_bTextHoverColorSet = SColor::Parse(strValue, m_crTextHover);
    } else if (strName == L"font") {
        m_strFont = strValue;
        bRelayout = true;
    } else if (strName == L"fontHover") {
        m_strFontHover = strValue;
    } else if (strName == L"align") {
        m_uTextFormat &= ~(DT_CENTER | DT_RIGHT);
        m_uTextFormat |= strValue == L"center"  ? unsigned(DT_CENTER)
                         : strValue == L"right" ? DT_RIGHT
                                                : 0u;
    } else if (strName == L"valign") {
        m_uTextFormat &= ~(DT_VCENTER | DT_BOTTOM);
        m_uTextFormat |= strValue == L"middle" || strValue == L"center" ? unsigned(DT_VCENTER)
                         : strValue == L"bottom"                        ? DT_BOTTOM
                                                                        : 0u;
    } else if (strName == L"textMode") {
        m_uTextFormat = static_cast<unsigned>(ParseIntAttr(strValue, int(m_uTextFormat)));
    } else if (strName == L"multiLines") {
        m_bMultiLines = ParseBool(strValue);
        m_uTextFormat &= ~(DT_SINGLELINE | DT_WORDBREAK);
        m_uTextFormat |= m_bMultiLines ? DT_WORDBREAK : DT_SINGLELINE;
        bRelayout = true;
    } else if (strName == L"maxWidth") {
        m_nMaxWidth = ParseIntAttr(strValue, -1);
        bRelayout = true;
    } else if (strName == L"visible" || strName == L"show") {
        m_bVisible = ParseBool(strValue);
        bRelayout = true;
    } else if (strName == L"enable") {
        m_bDisabled = !ParseBool(strValue);
    } else if (strName == L"focusable") {
        m_nFocusable = ParseBool(strValue) ? 1 : 0;
    } else if (strName == L"cursor") {
        m_cursor = strValue == L"hand" ? HostCursor::Hand : HostCursor::Arrow;
    } else if (strName == L"decorative") {
        m_bDecorative = ParseBool(strValue);
    } else if (strName == L"text") {
        m_strText = strValue;
        bRelayout = true;
    } else {
        return false;
    }
    if (!bLoading) {
        if (bRelayout) {
            RequestRelayout();
        }
        Invalidate();
    }
    return true;
}

std::wstring SWindow::GetAttribute(const std::wstring& strName) const {
    auto it = m_attributes.find(strName);
    return it == m_attributes.end() ? std::wstring() : it->second;
}

void SWindow::SetWindowText(const std::wstring& strText) {
    if (m_strText == strText) {
        return;
    }
    m_strText = strText;
    // A window sized by its content moves its edges with the text.
    if (m_pos.nCount == 2 ||
        (m_pos.nCount == 4 && (m_pos.items[2].IsContentSize() || m_pos.items[3].IsContentSize()))) {
        RequestRelayout();
    }
    Invalidate();
}

std::wstring SWindow::GetWindowText(bool bRaw) const {
    ISwndContainer* pContainer = GetContainer();
    if (bRaw || !pContainer) {
        return m_strText;
    }
    return pContainer->TranslateText(m_strText);
}

void SWindow::SetVisible(bool bVisible, bool bUpdate) {
    if (m_bVisible == bVisible) {
        return;
    }
    if (!bVisible) {
        Invalidate();
    }
    m_bVisible = bVisible;
    if (bUpdate) {
        Invalidate();
    }
    if (ISwndContainer* pContainer = GetContainer(); pContainer && !bVisible) {
        // A hidden window keeps neither the focus nor the mouse.
        if (SWindow* pFocus = pContainer->GetFocus(); pFocus && !pFocus->IsVisible(true)) {
            pContainer->SetFocus(nullptr);
        }
    }
    m_attributes[L"visible"] = bVisible ? L"1" : L"0";
    // Native overlays follow visibility; the host syncs them on relayout.
    RequestRelayout();
}

bool SWindow::IsVisible(bool bCheckParent) const {
    if (!bCheckParent) {
        return m_bVisible;
    }
    for (const SWindow* p = this; p; p = p->m_pParent) {
        if (!p->m_bVisible) {
            return false;
        }
    }
    return true;
}

void SWindow::EnableWindow(bool bEnable, bool bUpdate) {
    if (m_bDisabled == !bEnable) {
        return;
    }
    m_bDisabled = !bEnable;
    if (m_bDisabled) {
        m_bPushed = false;
        m_bHover = false;
    }
    if (bUpdate) {
        Invalidate();
    }
}

bool SWindow::IsDisabled(bool bCheckParent) const {
    if (!bCheckParent) {
        return m_bDisabled;
    }
    for (const SWindow* p = this; p; p = p->m_pParent) {
        if (p->m_bDisabled) {
            return true;
        }
    }
    return false;
}

bool SWindow::IsFocusable() const {
    if (m_nFocusable >= 0) {
        return m_nFocusable == 1;
    }
    return IsClickable();
}

bool SWindow::IsFocused() const {
    ISwndContainer* pContainer = GetContainer();
    return pContainer && pContainer->GetFocus() == this;
}

void SWindow::SetFocus() {
    if (ISwndContainer* pContainer = GetContainer()) {
        pContainer->SetFocus(this);
    }
}

void SWindow::SetCheck(bool bCheck) {
    if (m_bChecked != bCheck) {
        m_bChecked = bCheck;
        Invalidate();
    }
}

void SWindow::Move(const CRect& rc) {
    if (!(rc == m_rcWindow)) {
        Invalidate();
        m_rcWindow = rc;
        Invalidate();
    }
    UpdateChildrenPosition();
}

CSize SWindow::GetDesiredSize(int nMaxWidth) const {
    std::wstring strText = GetWindowText();
    ISwndContainer* pContainer = GetContainer();
    if (strText.empty() || !pContainer) {
        return CSize(0, 0);
    }
    int nWrap = m_nMaxWidth > 0 ? m_nMaxWidth : nMaxWidth;
    return pContainer->MeasureText(strText, GetFont(), m_uTextFormat, nWrap);
}

void SWindow::UpdateChildrenPosition() {
    const CRect rcParent = GetChildrenLayoutRect();
    CRect rcPrev(rcParent.left, rcParent.top, rcParent.left, rcParent.top);
    for (const auto& p : m_children) {
        SWindow* pChild = p.get();
        CRect rc =
            SAnchorLayout::CalcRect(pChild->m_pos, rcParent, rcPrev, pChild->m_szFixed,
                                    [pChild](int nMax) { return pChild->GetDesiredSize(nMax); });
        pChild->Move(rc);
        rcPrev = rc;
    }
}

void SWindow::RequestRelayout() {
    if (ISwndContainer* pContainer = GetContainer()) {
        pContainer->OnRelayout();
    }
}

void SWindow::Invalidate() {
    ISwndContainer* pContainer = GetContainer();
    if (pContainer && !m_rcWindow.IsRectEmpty()) {
        pContainer->OnInvalidate(m_rcWindow);
    }
}

int SWindow::GetState() const {
    if (IsDisabled(true)) {
        return SKIN_STATE_DISABLED;
    }
    if (m_bPushed) {
        return SKIN_STATE_PUSHED;
    }
    if (m_bHover) {
        return SKIN_STATE_HOVER;
    }
    return SKIN_STATE_NORMAL;
}

SFontDesc SWindow::GetFont() const {
    SFontDesc font = GetLayoutFont();
    font.nSize = SDesktopSettings::ScaleFontSize(font.nSize);
    return font;
}

SFontDesc SWindow::GetLayoutFont() const {
    SFontDesc base;
    if (m_pParent) {
        base = m_pParent->GetLayoutFont();
    } else if (ISwndContainer* pContainer = GetContainer()) {
        base = pContainer->GetDefaultFont();
    }
    const std::wstring& strFont = m_bHover && !m_strFontHover.empty() ? m_strFontHover : m_strFont;
    if (strFont.empty()) {
        return base;
    }
    SFontDesc font;
    if (!SFontDesc::Parse(strFont, base, font)) {
        return base;
    }
    return font;
}

SColor SWindow::GetTextColor() const {
    if (m_bHover && m_bTextHoverColorSet) {
        return m_crTextHover;
    }
    if (m_bTextColorSet) {
        return m_crText;
    }
    return m_pParent ? m_pParent->GetTextColor() : SColor(0, 0, 0);
}

void SWindow::RedrawRegion(IRenderTarget* pRT, const CRect& rcClip) {
    CRect rcPaint;
    if (!m_bVisible || !rcPaint.IntersectRect(rcClip, m_rcWindow)) {
        return;
    }
    pRT->PushClipRect(rcPaint);
    OnPaint(pRT);
    for (const auto& p : m_children) {
        p->RedrawRegion(pRT, rcPaint);
    }
    pRT->PopClip();
}

void SWindow::OnPaint(IRenderTarget* pRT) {
    DrawBackground(pRT, m_rcWindow);
    std::wstring strText = GetWindowText();
    if (!strText.empty()) {
        DrawText(pRT, strText, GetTextRect());
    }
}

void SWindow::DrawBackground(IRenderTarget* pRT, const CRect& rc) {
    if (!m_crBkgnd.IsTransparent()) {
        pRT->FillRect(rc, m_crBkgnd);
    }
    if (m_pSkin) {
        m_pSkin->Draw(pRT, rc, GetState());
    }
}

void SWindow::DrawText(IRenderTarget* pRT, const std::wstring& strText, CRect rc) {
    ISwndContainer* pContainer = GetContainer();
    if (!pContainer) {
        return;
    }
    SFontDesc font = GetFont();
    unsigned uFormat = m_uTextFormat;
    if (IsTextFitted()) {
        const STextFit& fit = FitText(strText, rc.Size());
        font = fit.font;
        uFormat = fit.uFormat;
    }
    SColor cr = GetTextColor();
    if (IsDisabled(true)) {
        cr.a = static_cast<uint8_t>(cr.a / 2);
    }
    pRT->DrawText(strText, rc, pContainer->GetFont(font), cr, uFormat);
}

const STextFit& SWindow::FitText(const std::wstring& strText, CSize szBox) const {
    SFontDesc font = GetFont();
    FitCache& cache = m_fitCache;
    if (cache.bValid && cache.strText == strText && cache.szBox == szBox && cache.font == font &&
        cache.uFormat == m_uTextFormat) {
        return cache.fit;
    }
    ISwndContainer* pContainer = GetContainer();
    // Larger text gives way first: a text never shrinks below the floor of
    // its laid-out size, whatever the desktop's text scale.
    cache.fit = STextFitter::Fit(
        strText, font, m_uTextFormat, szBox,
        [pContainer](const std::wstring& str, const SFontDesc& f, unsigned uFmt, int nMax) {
            return pContainer ? pContainer->MeasureText(str, f, uFmt, nMax) : CSize();
        },
        STextFitter::FloorSize(GetLayoutFont().nSize));
    cache.strText = strText;
    cache.szBox = szBox;
    cache.font = font;
    cache.uFormat = m_uTextFormat;
    cache.bValid = true;
    return cache.fit;
}

STextFit SWindow::GetTextFit() const {
    std::wstring strText = GetWindowText();
    if (!IsTextFitted()) {
        STextFit fit;
        fit.font = GetFont();
        fit.uFormat = m_uTextFormat;
        return fit;
    }
    return FitText(strText, GetTextRect().Size());
}

std::wstring SWindow::GetToolTipText() const {
    std::wstring strTip = GetAttribute(L"tip");
    if (!strTip.empty()) {
        ISwndContainer* pContainer = GetContainer();
        return pContainer ? pContainer->TranslateText(strTip) : strTip;
    }
    std::wstring strText = GetWindowText();
    if (!strText.empty() && IsTextFitted() && GetTextFit().bElided) {
        return strText;
    }
    return {};
}

std::wstring SWindow::GetAccName() const {
    std::wstring strName = GetWindowText();
    if (std::wstring strLabel = GetAttribute(L"labelBy"); strName.empty() && !strLabel.empty()) {
        // The window that labels this one: searched from the root, so any
        // window of the same host may serve.
        const SWindow* pRoot = this;
        while (pRoot->m_pParent) {
            pRoot = pRoot->m_pParent;
        }
        if (const SWindow* pLabel = pRoot->FindChildByName(strLabel)) {
            strName = pLabel->GetWindowText();
        }
    }
    if (strName.empty()) {
        std::wstring strTip = GetAttribute(L"tip");
        ISwndContainer* pContainer = GetContainer();
        strName = pContainer && !strTip.empty() ? pContainer->TranslateText(strTip) : strTip;
    }
    return strName;
}

bool SWindow::DoAccAction() {
    if (!IsClickable() || IsDisabled(true) || !IsVisible(true)) {
        return false;
    }
    FireCommand();
    return true;
}

SWindow* SWindow::HitTest(CPoint pt) {
    if (!m_bVisible || !m_rcWindow.PtInRect(pt)) {
        return nullptr;
    }
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if (SWindow* pHit = (*it)->HitTest(pt)) {
            return pHit;
        }
    }
    return this;
}

void SWindow::SetHover(bool bHover) {
    if (m_bHover != bHover) {
        m_bHover = bHover;
        bHover ? OnMouseHover() : OnMouseLeave();
        Invalidate();
    }
}

void SWindow::SetPushed(bool bPushed) {
    if (m_bPushed != bPushed) {
        m_bPushed = bPushed;
        Invalidate();
    }
}

void SWindow::OnLButtonDown(CPoint) {
    if (IsClickable()) {
        SetPushed(true);
    }
}

void SWindow::OnLButtonUp(CPoint pt) {
    bool bWasPushed = m_bPushed;
    SetPushed(false);
    if (bWasPushed && IsClickable() && m_rcWindow.PtInRect(pt) && !IsDisabled(true)) {
        FireCommand();
    }
}

bool SWindow::OnMouseWheel(int, CPoint) {
    return false;
}

bool SWindow::OnKeyDown(unsigned nKeyval, unsigned) {
    if (IsClickable() && !IsDisabled(true) &&
        (nKeyval == kHostKeySpace || nKeyval == kHostKeyReturn || nKeyval == kHostKeyKpEnter)) {
        FireCommand();
        return true;
    }
    return false;
}

bool SWindow::FireCommand() {
    ISwndContainer* pContainer = GetContainer();
    if (!pContainer) {
        return false;
    }
    EventCmd* pEvt = new EventCmd(this);
    bool bHandled = pContainer->OnFireEvent(pEvt);
    pEvt->Release();
    return bHandled;
}

}  // namespace SOUI
