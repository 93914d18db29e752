#include "toolkit/window/SHostWnd.h"

#include <glib.h>

#include <algorithm>
#include <cwchar>
#include <functional>

#include "toolkit/control/SEdit.h"
#include "toolkit/control/SLayoutBuilder.h"
#include "toolkit/control/SWindowRegistry.h"
#include "toolkit/core/SLog.h"
#include "toolkit/core/STimerManager.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SFocusRing.h"
#include "toolkit/window/SHostDialog.h"

namespace SOUI {

namespace {
bool AttrIsTrue(pugi::xml_node node, const char* pszName) {
    std::string str = node.attribute(pszName).value();
    return !str.empty() && str != "0" && str != "false";
}

void ForEachWindow(SWindow* pWnd, const std::function<void(SWindow*)>& fn) {
    fn(pWnd);
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        ForEachWindow(pWnd->GetChild(i), fn);
    }
}

// A factory with the toolkit's windows, for hosts made without an application.
const SObjectFactoryMgr& DefaultFactory() {
    static SObjectFactoryMgr s_factory = [] {
        SObjectFactoryMgr factory;
        RegisterToolkitWindows(factory);
        return factory;
    }();
    return s_factory;
}
}  // namespace

SHostWnd::SHostWnd(const wchar_t* pszResName) : m_strResName(pszResName ? pszResName : L"") {
    m_pContainer = this;
}

SHostWnd::~SHostWnd() {
    STimerManager::KillAllTimers(this);
    if (m_pBackend) {
        m_pBackend->Destroy();
    }
    // Controls that hold native overlays go before the backend.
    m_children.clear();
    m_pFocus = m_pHover = m_pCapture = nullptr;
    m_pBackend.reset();
    for (auto& it : m_mapFonts) {
        it.second->Release();
    }
    ReleaseIcons();
    m_pContainer = nullptr;
}

bool SHostWnd::Create(SHostWnd* pOwner) {
    if (m_pBackend && m_pBackend->IsCreated()) {
        return true;
    }
    SApplication* pApp = SApplication::getSingletonPtr();
    if (!pApp) {
        SLogA("SHostWnd::Create no application");
        return false;
    }
    pugi::xml_document doc;
    if (!pApp->LoadXmlDocment(doc, m_strResName)) {
        SLog(L"SHostWnd::Create layout [%s] not loaded", m_strResName.c_str());
        return false;
    }
    pugi::xml_node xmlSoui = doc.child("SOUI");
    if (!xmlSoui) {
        SLog(L"SHostWnd::Create layout [%s] has no SOUI element", m_strResName.c_str());
        return false;
    }
    if (!InitFromXml(xmlSoui)) {
        return false;
    }
    LoadIcons(xmlSoui);
    m_pBackend = CreateHostBackend();
    m_params.strTitle = TranslateText(m_strTitle);
    if (!m_pBackend->Create(this, m_params, pOwner ? pOwner->GetBackend() : nullptr)) {
        SLog(L"SHostWnd::Create backend failed for [%s]", m_strResName.c_str());
        m_pBackend.reset();
        return false;
    }
    m_bDestroyed = false;
    SyncNativeEdits();
    LRESULT lResult = 0;
    ProcessWindowMessage(WM_CREATE, 0, 0, lResult);
    return true;
}

bool SHostWnd::InitFromXml(pugi::xml_node xmlSoui) {
    m_params = HostWindowParams();
    m_params.nWidth = xmlSoui.attribute("width").as_int(0);
    m_params.nHeight = xmlSoui.attribute("height").as_int(0);
    if (m_params.nWidth <= 0 || m_params.nHeight <= 0 || m_params.nWidth > 16384 ||
        m_params.nHeight > 16384) {
        SLog(L"SHostWnd::InitFromXml bad window size in [%s]", m_strResName.c_str());
        return false;
    }
    m_strTitle = Utf8ToWide(xmlSoui.attribute("title").value());
    m_strTrCtx = Utf8ToWide(xmlSoui.attribute("trCtx").value());
    m_params.bTranslucent = AttrIsTrue(xmlSoui, "translucent");
    m_params.bToolWindow = AttrIsTrue(xmlSoui, "toolWindow");
    m_params.bResizable = AttrIsTrue(xmlSoui, "resizable");
    std::string strType = xmlSoui.attribute("wndType").value();
    m_bAppMain = strType == "appMain";
    m_params.bDialog = strType == "8" || strType == "dialog";
    std::string strMin = xmlSoui.attribute("minsize").value();
    if (sscanf(strMin.c_str(), "%d,%d", &m_params.nMinWidth, &m_params.nMinHeight) == 1) {
        m_params.nMinHeight = m_params.nMinWidth;
    }

    SApplication* pApp = SApplication::getSingletonPtr();
    const SObjectFactoryMgr& factory = pApp && pApp->GetWindowFactory().IsRegistered(L"window")
                                           ? pApp->GetWindowFactory()
                                           : DefaultFactory();
    SLayoutBuilder builder(factory, [pApp](const std::wstring& strName) {
        return pApp ? pApp->NameToID(strName) : 0;
    });
    m_children.clear();
    m_pFocus = m_pHover = m_pCapture = nullptr;
    m_bLoading = true;
    if (pugi::xml_attribute attrName = xmlSoui.attribute("name")) {
        m_strName = Utf8ToWide(attrName.value());
    }
    pugi::xml_node xmlRoot = xmlSoui.child("root");
    if (xmlRoot) {
        builder.InitWindow(this, xmlRoot);
        if (builder.CreateChildren(this, xmlRoot) < 0) {
            SLog(L"SHostWnd::InitFromXml layout [%s] is malformed", m_strResName.c_str());
            m_children.clear();
            m_bLoading = false;
            return false;
        }
    } else {
        SLog(L"SHostWnd::InitFromXml no root element in [%s]", m_strResName.c_str());
    }
    m_bLoading = false;
    m_rcWindow = CRect();
    Move(CRect(0, 0, m_params.nWidth, m_params.nHeight));
    return true;
}

namespace {
// The pixel sizes an icon group (.ico) holds, from its directory: a 6-byte
// header, then 16 bytes per image whose first byte is the width (0: 256).
std::vector<int> IconGroupSizes(const std::vector<char>& buf) {
    std::vector<int> sizes;
    const auto* p = reinterpret_cast<const unsigned char*>(buf.data());
    if (buf.size() < 6 || p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0) {
        return sizes;
    }
    const size_t nCount = p[4] | (p[5] << 8);
    for (size_t i = 0; i < nCount && 6 + 16 * (i + 1) <= buf.size(); ++i) {
        const int nSize = p[6 + 16 * i] ? p[6 + 16 * i] : 256;
        if (std::find(sizes.begin(), sizes.end(), nSize) == sizes.end()) {
            sizes.push_back(nSize);
        }
    }
    return sizes;
}
}  // namespace

void SHostWnd::LoadIcons(pugi::xml_node xmlSoui) {
    ReleaseIcons();
    m_params.icons.clear();
    SApplication* pApp = SApplication::getSingletonPtr();
    IRenderFactory* pFactory = pApp ? pApp->GetRenderFactory() : nullptr;
    if (!pFactory) {
        return;
    }
    // Docks and task switchers pick the size they draw at: every image of
    // the icon's group goes to the window, besides the two the layout names.
    std::vector<std::pair<int, std::wstring>> wanted;  // size, "GROUP_size"
    for (const char* pszAttr : {"bigIcon", "smallIcon"}) {
        std::wstring strRef = Utf8ToWide(xmlSoui.attribute(pszAttr).value());
        size_t nColon = strRef.find(L':');
        if (strRef.empty() || nColon == std::wstring::npos) {
            continue;
        }
        const std::wstring strGroup = strRef.substr(0, nColon);
        std::vector<int> sizes;
        std::vector<char> group;
        if (pApp->GetRawBuffer(L"ICON", strGroup, group)) {
            sizes = IconGroupSizes(group);
        }
        sizes.push_back(std::wcstol(strRef.c_str() + nColon + 1, nullptr, 10));
        for (int nSize : sizes) {
            std::wstring strName = strGroup + L"_" + std::to_wstring(nSize);
            if (std::find_if(wanted.begin(), wanted.end(),
                             [&](const auto& w) { return w.second == strName; }) == wanted.end()) {
                wanted.emplace_back(nSize, strName);
            }
        }
    }
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [nSize, strName] : wanted) {
        std::vector<char> buf;
        IBitmapS* pBmp = nullptr;
        if (!pApp->GetRawBuffer(L"ICON", strName, buf) ||
            !pFactory->CreateBitmapFromMemory(buf.data(), buf.size(), &pBmp)) {
            SLog(L"SHostWnd::LoadIcons no icon [%s]", strName.c_str());
            continue;
        }
        m_icons.push_back(pBmp);
        m_params.icons.push_back(pBmp->GetSurface());
    }
}

void SHostWnd::ReleaseIcons() {
    for (IBitmapS* p : m_icons) {
        p->Release();
    }
    m_icons.clear();
}

LRESULT SHostWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT lResult = 0;
    ProcessWindowMessage(uMsg, wParam, lParam, lResult);
    return lResult;
}

bool SHostWnd::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult) {
    lResult = 0;
    switch (uMsg) {
        case WM_CLOSE:
            DestroyWindow();
            return true;
        case WM_SYSCOMMAND:
            if (!m_pBackend) {
                return false;
            }
            switch (wParam & 0xFFF0) {
                case SC_MINIMIZE:
                    m_pBackend->Minimize();
                    return true;
                case SC_MAXIMIZE:
                    m_pBackend->Maximize();
                    return true;
                case SC_RESTORE:
                    m_pBackend->Restore();
                    return true;
                case SC_CLOSE:
                    SendMessage(WM_CLOSE);
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

bool SHostWnd::_HandleEvent(EventArgs*) {
    return false;
}

bool SHostWnd::ShowWindow(int nCmdShow) {
    if (!m_pBackend) {
        return false;
    }
    bool bWasVisible = m_pBackend->IsVisible();
    switch (nCmdShow) {
        case SW_HIDE:
            m_pBackend->Show(false);
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            m_pBackend->Show(true);
            m_pBackend->Minimize();
            break;
        case SW_SHOWMAXIMIZED:
            m_pBackend->Show(true);
            m_pBackend->Maximize();
            break;
        case SW_RESTORE:
            m_pBackend->Show(true);
            m_pBackend->Restore();
            break;
        default:
            m_pBackend->Show(true);
            break;
    }
    return bWasVisible;
}

bool SHostWnd::IsWindow() const {
    return m_pBackend && m_pBackend->IsCreated();
}

bool SHostWnd::IsWindowVisible() const {
    return IsWindow() && m_pBackend->IsVisible();
}

void SHostWnd::CenterWindow(SHostWnd* pParent) {
    if (m_pBackend) {
        m_pBackend->Center(pParent ? pParent->GetBackend() : nullptr);
    }
}

void SHostWnd::ResizeWindow(int nWidth, int nHeight) {
    if (nWidth <= 0 || nHeight <= 0) {
        return;
    }
    m_params.nWidth = nWidth;
    m_params.nHeight = nHeight;
    if (m_pBackend) {
        m_pBackend->Resize(nWidth, nHeight);
    }
    Move(CRect(0, 0, nWidth, nHeight));
    SyncNativeEdits();
    OnInvalidate(m_rcWindow);
}

bool SHostWnd::DestroyWindow() {
    if (!IsWindow()) {
        return false;
    }
    m_pBackend->Destroy();
    return true;
}

void SHostWnd::SetWindowTextW(const std::wstring& strTitle) {
    m_strTitle = strTitle;
    if (m_pBackend) {
        m_pBackend->SetTitle(strTitle);
    }
}

bool SHostWnd::SetTimer(uintptr_t nID, unsigned nElapseMs) {
    return STimerManager::SetTimer(this, nID, nElapseMs);
}

bool SHostWnd::KillTimer(uintptr_t nID) {
    return STimerManager::KillTimer(this, nID);
}

COffscreenBackend* SHostWnd::GetOffscreen() const {
    return dynamic_cast<COffscreenBackend*>(m_pBackend.get());
}

void SHostWnd::UpdateLayout() {
    if (m_bInLayout) {
        return;
    }
    m_bInLayout = true;
    UpdateChildrenPosition();
    m_bInLayout = false;
    SyncNativeEdits();
    OnInvalidate(m_rcWindow);
}

void SHostWnd::OnInvalidate(const CRect& rc) {
    if (m_pBackend) {
        m_pBackend->Invalidate(HostRect{rc.left, rc.top, rc.right, rc.bottom});
    }
}

void SHostWnd::OnRelayout() {
    if (!m_bLoading) {
        UpdateLayout();
    }
}

std::wstring SHostWnd::TranslateText(const std::wstring& strText) const {
    SApplication* pApp = SApplication::getSingletonPtr();
    if (!pApp || strText.empty()) {
        return strText;
    }
    return pApp->Tr(strText, m_strTrCtx);
}

bool SHostWnd::OnFireEvent(EventArgs* pEvt) {
    // The map may destroy the window; the tree itself stays until the
    // object goes, so the sender remains valid here.
    return _HandleEvent(pEvt);
}

void SHostWnd::SetFocus(SWindow* pWnd) {
    if (pWnd == m_pFocus) {
        return;
    }
    SWindow* pOld = m_pFocus;
    m_pFocus = pWnd;
    if (pOld) {
        pOld->OnKillFocus();
        InvalidateFocusRing(pOld);
    }
    if (pWnd) {
        pWnd->OnSetFocus();
        InvalidateFocusRing(pWnd);
    }
    // Keys go to drawn controls only while no native edit holds the keyboard.
    if (m_pBackend && !dynamic_cast<SEdit*>(pWnd)) {
        m_pBackend->FocusEdit(0);
    }
}

void SHostWnd::SetFocusCues(bool bShow) {
    if (bShow == m_bFocusCues) {
        return;
    }
    m_bFocusCues = bShow;
    InvalidateFocusRing(m_pFocus);
}

void SHostWnd::SetCursor(HostCursor cursor) {
    if (m_pBackend) {
        m_pBackend->SetCursor(cursor);
    }
}

void SHostWnd::OnWindowRemoved(SWindow* pWnd) {
    if (m_pFocus == pWnd) {
        m_pFocus = nullptr;
    }
    if (m_pHover == pWnd) {
        m_pHover = nullptr;
    }
    if (m_pCapture == pWnd) {
        m_pCapture = nullptr;
    }
    if (m_pNoTip == pWnd) {
        m_pNoTip = nullptr;
    }
}

ISkinObj* SHostWnd::FindSkin(const std::wstring& strName) const {
    SApplication* pApp = SApplication::getSingletonPtr();
    return pApp ? pApp->GetSkin(strName) : nullptr;
}

IFontS* SHostWnd::GetFont(const SFontDesc& desc) {
    std::wstring strKey = desc.ToString();
    auto it = m_mapFonts.find(strKey);
    if (it != m_mapFonts.end()) {
        return it->second;
    }
    SApplication* pApp = SApplication::getSingletonPtr();
    IFontS* pFont = nullptr;
    if (!pApp || !pApp->GetRenderFactory() || !pApp->GetRenderFactory()->CreateFont(desc, &pFont)) {
        return nullptr;
    }
    m_mapFonts[strKey] = pFont;
    return pFont;
}

SFontDesc SHostWnd::GetDefaultFont() const {
    SApplication* pApp = SApplication::getSingletonPtr();
    return pApp ? pApp->GetDefFontDesc() : SFontDesc();
}

CSize SHostWnd::MeasureText(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                            int nMaxWidth) {
    SApplication* pApp = SApplication::getSingletonPtr();
    if (!pApp || !pApp->GetRenderFactory()) {
        return CSize(0, 0);
    }
    return pApp->GetRenderFactory()->MeasureText(strText, GetFont(font), uFormat, nMaxWidth);
}

bool SHostWnd::LoadResource(const std::wstring& strRef, std::vector<char>& buf) const {
    SApplication* pApp = SApplication::getSingletonPtr();
    return pApp && pApp->GetRawBuffer(strRef, buf);
}

void SHostWnd::OnBackendPaint(cairo_t* cr, const HostRect& rcDirty) {
    SApplication* pApp = SApplication::getSingletonPtr();
    IRenderFactory* pFactory = pApp ? pApp->GetRenderFactory() : nullptr;
    IRenderTarget* pRT = nullptr;
    if (!pFactory ||
        !pFactory->CreateRenderTargetOnCairo(cr, m_rcWindow.Width(), m_rcWindow.Height(), &pRT)) {
        SLogA("SHostWnd::OnBackendPaint no render target");
        return;
    }
    CRect rcPaint(rcDirty.left, rcDirty.top, rcDirty.right, rcDirty.bottom);
    RedrawRegion(pRT, rcPaint);
    // Over everything: the ring lies outside its control, where neighbours
    // and parents paint.
    if (SWindow* pRinged = GetFocusRingWindow()) {
        pRT->PushClipRect(rcPaint);
        SFocusRing::Draw(pRT, pRinged->GetWindowRect());
        pRT->PopClip();
    }
    pRT->Release();
}

SWindow* SHostWnd::GetFocusRingWindow() const {
    if (!m_bFocusCues || !m_pFocus || m_pFocus == this || !m_pFocus->IsVisible(true)) {
        return nullptr;
    }
    return m_pFocus;
}

void SHostWnd::InvalidateFocusRing(SWindow* pWnd) {
    if (pWnd && pWnd != this) {
        OnInvalidate(SFocusRing::OuterRect(pWnd->GetWindowRect()));
    }
}

void SHostWnd::OnBackendMouseMove(int x, int y, unsigned) {
    CPoint pt(x, y);
    if (m_pCapture) {
        // A pressed control looks pressed only while the pointer is on it.
        m_pCapture->SetPushed(m_pCapture->GetWindowRect().PtInRect(pt));
        m_pCapture->OnMouseMove(pt);
        return;
    }
    SWindow* pHit = HitTest(pt);
    if (pHit && pHit->IsDisabled(true)) {
        pHit = nullptr;
    }
    if (pHit != m_pHover) {
        m_pNoTip = nullptr;
        if (m_pHover) {
            m_pHover->SetHover(false);
        }
        m_pHover = pHit;
        if (pHit) {
            pHit->SetHover(true);
        }
    }
    HostCursor cursor = HostCursor::Arrow;
    for (SWindow* p = pHit; p; p = p->GetParent()) {
        if (p->GetCursor() != HostCursor::Arrow) {
            cursor = p->GetCursor();
            break;
        }
    }
    SetCursor(cursor);
    if (pHit) {
        pHit->OnMouseMove(pt);
    }
}

void SHostWnd::OnBackendMouseDown(int nButton, int x, int y, unsigned) {
    if (nButton != 1) {
        return;
    }
    CPoint pt(x, y);
    SWindow* pHit = HitTest(pt);
    if (!pHit || pHit->IsDisabled(true)) {
        return;
    }
    for (SWindow* p = pHit; p && !p->WantsMouse(); p = p->GetParent()) {
        if (p->IsCaption()) {
            if (m_pBackend) {
                m_pBackend->BeginMove(nButton, x, y);
            }
            return;
        }
    }
    SetFocusCues(false);
    m_pNoTip = pHit;
    if (pHit->IsFocusable()) {
        SetFocus(pHit);
    }
    m_pCapture = pHit;
    pHit->OnLButtonDown(pt);
}

void SHostWnd::OnBackendMouseUp(int nButton, int x, int y, unsigned) {
    if (nButton != 1 || !m_pCapture) {
        return;
    }
    SWindow* pCapture = m_pCapture;
    m_pCapture = nullptr;
    pCapture->OnLButtonUp(CPoint(x, y));
}

void SHostWnd::OnBackendMouseLeave() {
    if (m_pHover && !m_pCapture) {
        m_pHover->SetHover(false);
        m_pHover = nullptr;
    }
}

void SHostWnd::OnBackendMouseWheel(int nDelta, int x, int y, unsigned) {
    CPoint pt(x, y);
    for (SWindow* p = HitTest(pt); p; p = p->GetParent()) {
        if (!p->IsDisabled(true) && p->OnMouseWheel(nDelta, pt)) {
            return;
        }
    }
}

void SHostWnd::OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) {
    if (nKeyval == kHostKeyTab || nKeyval == kHostKeyLeftTab) {
        SetFocusCues(true);
        FocusNext(nKeyval == kHostKeyLeftTab || (nModifiers & kHostModShift));
        return;
    }
    if (nKeyval == kHostKeyEscape) {
        OnEscape();
        return;
    }
    if (m_pFocus && m_pFocus->IsVisible(true) && !m_pFocus->IsDisabled(true) &&
        m_pFocus->OnKeyDown(nKeyval, nModifiers)) {
        return;
    }
    // Enter that no focused control takes presses the default button.
    if (nKeyval == kHostKeyReturn || nKeyval == kHostKeyKpEnter) {
        if (SWindow* pDefault = GetDefaultButton()) {
            pDefault->FireCommand();
        }
    }
}

SWindow* SHostWnd::GetDefaultButton() const {
    SWindow* pFound = nullptr;
    ForEachWindow(const_cast<SHostWnd*>(this), [&](SWindow* p) {
        std::wstring strDefault = p->GetAttribute(L"default");
        if (!pFound && p->IsClickable() && !strDefault.empty() && strDefault != L"0" &&
            p->IsVisible(true) && !p->IsDisabled(true)) {
            pFound = p;
        }
    });
    return pFound;
}

bool SHostWnd::GetToolTipAt(CPoint pt, bool bKeyboard, std::wstring& strTip, CRect& rcTip) const {
    SWindow* pWnd = bKeyboard ? m_pFocus : const_cast<SHostWnd*>(this)->HitTest(pt);
    if (!bKeyboard && (m_pCapture || (pWnd && pWnd == m_pNoTip))) {
        return false;
    }
    for (; pWnd && pWnd != this; pWnd = pWnd->GetParent()) {
        std::wstring strText = pWnd->GetToolTipText();
        if (!strText.empty()) {
            strTip = std::move(strText);
            rcTip = pWnd->GetWindowRect();
            return true;
        }
    }
    return false;
}

std::vector<HostAccNode> SHostWnd::GetAccessibleNodes() {
    std::vector<HostAccNode> nodes;
    OnBackendAccessibleNodes(nodes);
    return nodes;
}

void SHostWnd::OnBackendAccessibleNodes(std::vector<HostAccNode>& nodes) {
    nodes.clear();
    SWindow* pDefault = GetDefaultButton();
    ForEachWindow(this, [&](SWindow* p) {
        HostAccRole eRole = p == this || p->IsDecorative() ? HostAccRole::Ignored : p->GetAccRole();
        // What is not on screen is not in the tree: a screen reader would
        // otherwise read controls the user can never reach.
        if (eRole == HostAccRole::Ignored || !p->IsVisible(true)) {
            return;
        }
        HostAccNode node;
        node.nId = p->GetAccId();
        node.eRole = eRole;
        node.strName = p->GetAccName();
        std::wstring strTip = p->GetToolTipText();
        if (strTip != node.strName) {
            node.strDescription = strTip;
        }
        if (eRole == HostAccRole::Label || eRole == HostAccRole::Document) {
            node.strText = p->GetAccText();
        }
        unsigned nStates = 0;
        nStates |= p->IsDisabled(true) ? 0 : kAccEnabled;
        nStates |= p->IsVisible(true) ? kAccVisible : 0;
        nStates |= p->IsFocusable() ? kAccFocusable : 0;
        nStates |= p == m_pFocus ? kAccFocused : 0;
        if (eRole == HostAccRole::CheckBox) {
            nStates |= kAccCheckable | (p->IsChecked() ? kAccChecked : 0);
        }
        if (eRole == HostAccRole::Document) {
            nStates |= kAccReadOnly | kAccMultiLine;
        }
        nStates |= p == pDefault ? kAccDefault : 0;
        node.nStates = nStates;
        const CRect& rc = p->GetWindowRect();
        node.rc = HostRect{rc.left, rc.top, rc.right, rc.bottom};
        p->GetAccValue(node.dValue, node.dMin, node.dMax);
        if (auto* pEdit = dynamic_cast<SEdit*>(p)) {
            node.nEditId = pEdit->GetNativeId();
        }
        nodes.push_back(std::move(node));
    });
}

SWindow* SHostWnd::FindByAccId(uintptr_t nId) {
    SWindow* pFound = nullptr;
    ForEachWindow(this, [&](SWindow* p) {
        if (!pFound && p->GetAccId() == nId) {
            pFound = p;
        }
    });
    return pFound;
}

bool SHostWnd::OnBackendAccessibleAction(uintptr_t nId) {
    SWindow* pWnd = FindByAccId(nId);
    return pWnd && pWnd != this && pWnd->DoAccAction();
}

bool SHostWnd::OnBackendAccessibleFocus(uintptr_t nId) {
    SWindow* pWnd = FindByAccId(nId);
    if (!pWnd || pWnd == this || !pWnd->IsFocusable() || !pWnd->IsVisible(true) ||
        pWnd->IsDisabled(true)) {
        return false;
    }
    // A focus moved by assistive technology is a keyboard focus: marked.
    SetFocusCues(true);
    SetFocus(pWnd);
    return true;
}

bool SHostWnd::OnBackendQueryToolTip(int x, int y, bool bKeyboard, std::wstring& strTip,
                                     HostRect& rcTip) {
    CRect rc;
    if (!GetToolTipAt(CPoint(x, y), bKeyboard, strTip, rc)) {
        return false;
    }
    rcTip = HostRect{rc.left, rc.top, rc.right, rc.bottom};
    return true;
}

void SHostWnd::FocusNext(bool bBackward) {
    std::vector<SWindow*> candidates;
    ForEachWindow(this, [&](SWindow* p) {
        if (p != this && p->IsFocusable() && p->IsVisible(true) && !p->IsDisabled(true)) {
            candidates.push_back(p);
        }
    });
    if (candidates.empty()) {
        return;
    }
    auto it = std::find(candidates.begin(), candidates.end(), m_pFocus);
    size_t nCount = candidates.size();
    size_t nNext = 0;
    if (it == candidates.end()) {
        nNext = bBackward ? nCount - 1 : 0;
    } else {
        size_t nCur = static_cast<size_t>(it - candidates.begin());
        nNext = bBackward ? (nCur + nCount - 1) % nCount : (nCur + 1) % nCount;
    }
    SetFocus(candidates[nNext]);
}

void SHostWnd::OnBackendCloseRequest() {
    SendMessage(WM_CLOSE);
}

void SHostWnd::OnBackendDestroyed() {
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    if (m_pModalChild) {
        m_pModalChild->EndDialog(IDCANCEL);
    }
    STimerManager::KillAllTimers(this);
    m_pCapture = nullptr;
    LRESULT lResult = 0;
    ProcessWindowMessage(WM_DESTROY, 0, 0, lResult);
    // The application's main window takes the message loop with it.
    if (m_bAppMain) {
        if (SApplication* pApp = SApplication::getSingletonPtr()) {
            pApp->Quit(0);
        }
    }
    OnFinalMessage();
}

void SHostWnd::OnBackendSize(int nWidth, int nHeight) {
    m_params.nWidth = nWidth;
    m_params.nHeight = nHeight;
    Move(CRect(0, 0, nWidth, nHeight));
    SyncNativeEdits();
}

void SHostWnd::OnBackendEditChanged(int nEditId, const std::wstring& strText) {
    ForEachWindow(this, [&](SWindow* p) {
        if (auto* pEdit = dynamic_cast<SEdit*>(p); pEdit && pEdit->GetNativeId() == nEditId) {
            pEdit->OnNativeChanged(strText);
        }
    });
}

void SHostWnd::OnBackendEditFocus(int nEditId) {
    ForEachWindow(this, [&](SWindow* p) {
        if (auto* pEdit = dynamic_cast<SEdit*>(p); pEdit && pEdit->GetNativeId() == nEditId) {
            SetFocus(pEdit);
        }
    });
}

void SHostWnd::SyncNativeEdits() {
    if (!IsWindow()) {
        return;
    }
    ForEachWindow(this, [&](SWindow* p) {
        if (auto* pEdit = dynamic_cast<SEdit*>(p)) {
            pEdit->SyncNative(m_pBackend.get());
        }
    });
}

}  // namespace SOUI
