#include "UiFixture.h"

#include "http/CHttpMgr.h"
#include "platform/AppExit.h"
#include "platform/TextConvert.h"
#include "toolkit/control/SEdit.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/window/COffscreenBackend.h"

using namespace SOUI;

CPreviewEnv& UiEnv() {
    static CPreviewEnv* s_pEnv = [] {
        auto* p = new CPreviewEnv();
        EXPECT_TRUE(p->Init(PreviewLang::Chinese));
        return p;
    }();
    return *s_pEnv;
}

bool ClickWindow(SHostWnd& wnd, SWindow* pWnd) {
    COffscreenBackend* pOff = wnd.GetOffscreen();
    if (!pWnd || !pOff) {
        return false;
    }
    CPoint pt = pWnd->GetWindowRect().CenterPoint();
    pOff->Click(pt.x, pt.y);
    return true;
}

bool ClickControl(SHostWnd& wnd, const std::wstring& strName) {
    return ClickWindow(wnd, wnd.FindChildByName(strName));
}

bool TypeInto(SHostWnd& wnd, const std::wstring& strName, const std::wstring& strText) {
    auto* pEdit = dynamic_cast<SEdit*>(wnd.FindChildByName(strName));
    COffscreenBackend* pOff = wnd.GetOffscreen();
    if (!pEdit || !pOff || pEdit->GetNativeId() == 0) {
        return false;
    }
    pOff->TypeIntoEdit(pEdit->GetNativeId(), strText);
    return true;
}

std::wstring TextOf(SHostWnd& wnd, const std::wstring& strName) {
    SWindow* pWnd = wnd.FindChildByName(strName);
    return pWnd ? pWnd->GetWindowText() : L"<no " + strName + L">";
}

CTestMainDlg::CTestMainDlg() : m_pScripted(new ScriptedInstallMgr) {
    delete m_pInstallMgr;
    m_pInstallMgr = m_pScripted;
    m_pScripted->m_strExeDir = AnsiToWide(m_installerDir.path().string());
}

CTestMainDlg::~CTestMainDlg() {
    delete m_pInstallMgr;
    m_pInstallMgr = nullptr;
}

bool CTestMainDlg::Open() {
    if (!Create(nullptr)) {
        return false;
    }
    SendMessage(WM_INITDIALOG);
    CenterWindow(nullptr);
    ShowWindow(SW_SHOWNORMAL);
    return true;
}

void UiFixture::SetUp() {
    ASSERT_NE(UiEnv().GetApp(), nullptr);
    // Modal loops turn the context themselves; posted answers need the loop ready.
    PrepareLoopThread();
    m_pCenter = new SNotifyCenter;
    g_bAppExit = 0;
}

void UiFixture::TearDown() {
    // A statistics post still under way would fire into a deleted centre.
    RunLoopUntil([] { return CHttpMgr::GetRunningCount() == 0; }, 30000);
    delete m_pCenter;
    UiEnv().SetLanguage(PreviewLang::Chinese);
    g_bAppExit = 0;
}
