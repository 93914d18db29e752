#include "LayoutWindows.h"

#include <gtk/gtk.h>

#include "XTestHelpers.h"
#include "toolkit/core/EventArgs.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/host/CGtkHostBackend.h"

using namespace SOUI;

namespace gtkhosttest {

bool CRecordingWnd::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                         LRESULT& lResult) {
    m_messages.emplace_back(uMsg, wParam);
    return SHostWnd::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

bool CRecordingWnd::_HandleEvent(EventArgs* pEvt) {
    if (pEvt->GetID() == EVT_CMD)
        m_commands.push_back(pEvt->nameFrom);
    return SHostWnd::_HandleEvent(pEvt);
}

int CRecordingWnd::CountMessages(UINT uMsg, WPARAM wParam) const {
    int n = 0;
    for (const auto& m : m_messages)
        if (m.first == uMsg && m.second == wParam)
            ++n;
    return n;
}

bool COkDialog::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg == WM_INITDIALOG) {
        if (SWindow* pConfirm = FindChildByName(L"btn_confirm"))
            pConfirm->SetID(IDOK);
    }
    return SHostDialog::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

std::unique_ptr<CPreviewEnv> MakeEnv(PreviewLang lang) {
    auto pEnv = std::make_unique<CPreviewEnv>();
    std::string strDir = GTKHOST_BIN_DIR;
    if (!pEnv->Init(lang, std::wstring(strDir.begin(), strDir.end())))
        return nullptr;
    return pEnv;
}

static SGtkWindow* NativeOf(SHostWnd& wnd) {
    auto* pGtk = dynamic_cast<CGtkHostBackend*>(wnd.GetBackend());
    return pGtk ? &pGtk->GetNativeWindow() : nullptr;
}

bool ShowOnScreen(SHostWnd& wnd, int x, int y, SHostWnd* pOwner) {
    UseGtkHostBackend();
    if (!wnd.Create(pOwner))
        return false;
    SGtkWindow* pNative = NativeOf(wnd);
    if (!pNative)
        return false;
    pNative->Move(x, y);
    int* pDraws = CountDraws(pNative->GetWidget());
    wnd.ShowWindow(SW_SHOWNORMAL);
    return WaitFor([&] { return pNative->GetWidget() && *pDraws > 0; });
}

void ScreenPos(SHostWnd& wnd, int& x, int& y) {
    x = y = 0;
    if (SGtkWindow* pNative = NativeOf(wnd))
        pNative->GetPosition(x, y);
}

unsigned long XidOf(SHostWnd& wnd) {
    SGtkWindow* pNative = NativeOf(wnd);
    return pNative ? pNative->GetXid() : 0;
}

static SWindow* FindById(SWindow* pWnd, int nID) {
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        SWindow* pChild = pWnd->GetChild(i);
        if (pChild->GetID() == nID)
            return pChild;
        if (SWindow* pFound = FindById(pChild, nID))
            return pFound;
    }
    return nullptr;
}

static bool CentreOf(SHostWnd& wnd, SWindow* pCtrl, int& x, int& y) {
    if (!pCtrl)
        return false;
    ScreenPos(wnd, x, y);
    const CRect& rc = pCtrl->GetWindowRect();
    x += (rc.left + rc.right) / 2;
    y += (rc.top + rc.bottom) / 2;
    return true;
}

bool ControlCentre(SHostWnd& wnd, const wchar_t* pszName, int& x, int& y) {
    return CentreOf(wnd, wnd.FindChildByName(pszName), x, y);
}

bool ControlCentreById(SHostWnd& wnd, int nID, int& x, int& y) {
    return CentreOf(wnd, FindById(&wnd, nID), x, y);
}

}  // namespace gtkhosttest
