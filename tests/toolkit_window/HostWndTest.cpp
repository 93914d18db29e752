#include <glib.h>
#include <gtest/gtest.h>

#include "ToolkitTestEnv.h"
#include "toolkit/control/SRichEdit.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostDialog.h"

using namespace SOUI;

namespace {
class CCountingWnd : public SHostWnd {
public:
    using SHostWnd::SHostWnd;
    bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {
        if (uMsg == WM_TIMER && wParam == 7) {
            ++m_nTicks;
            return true;
        }
        if (uMsg == WM_DESTROY) {
            ++m_nDestroys;
        }
        if (uMsg == WM_INITDIALOG) {
            ++m_nInits;
        }
        return SHostWnd::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
    }
    int m_nTicks = 0;
    int m_nDestroys = 0;
    int m_nInits = 0;
};

// Ends a modal run that nothing else ended, so a fault fails instead of hanging.
class CHangGuard {
public:
    explicit CHangGuard(SHostDialog& dlg)
        : m_nSource(g_timeout_add_seconds(
              30,
              [](gpointer p) {
                  static_cast<SHostDialog*>(p)->EndDialog(kHung);
                  return G_SOURCE_REMOVE;
              },
              &dlg)) {}
    ~CHangGuard() { g_source_remove(m_nSource); }
    static constexpr int kHung = -99;

private:
    guint m_nSource;
};

class HostWnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(ToolkitEnv().GetApp(), nullptr); }
    void TearDown() override { ToolkitEnv().SetLanguage(PreviewLang::Chinese); }
};
}  // namespace

TEST_F(HostWnd, TextsTranslateInTheWindowsContext) {
    SHostWnd wndMain(L"LAYOUT:XML_MAINWND");
    SHostWnd wndMsg(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(wndMain.Create());
    ASSERT_TRUE(wndMsg.Create());
    SWindow* pInstall = wndMain.FindChildByName(L"btn_installer");
    SWindow* pLauncher = wndMain.FindChildByName(L"check_Launcher");
    SWindow* pTitle = wndMsg.FindChildByName(L"txt_title");
    EXPECT_EQ(pInstall->GetWindowText(true), L"page1_install");
    EXPECT_EQ(pInstall->GetWindowText(), L"安装");
    EXPECT_EQ(pLauncher->GetWindowText(), L"快速启动栏");
    EXPECT_EQ(pTitle->GetWindowText(), L"提示");
    EXPECT_EQ(wndMain.TranslateText(L"title"), L"Tovadoc安装程序");
    EXPECT_EQ(wndMsg.GetOffscreen()->GetTitle(), L"提示");  // the layout's "布局" is a key
    // Window kinds and icons reach the backend: the icon's whole set,
    // largest first, the layout's 32 and 16 pixels among them.
    const HostWindowParams& params = wndMsg.GetOffscreen()->GetParams();
    EXPECT_TRUE(params.bToolWindow);
    EXPECT_TRUE(params.bDialog);
    EXPECT_TRUE(params.bTranslucent);
    std::vector<int> sizes;
    for (cairo_surface_t* pIcon : params.icons) {
        sizes.push_back(cairo_image_surface_get_width(pIcon));
        EXPECT_EQ(cairo_image_surface_get_height(pIcon), sizes.back());
    }
    EXPECT_EQ(sizes, (std::vector<int>{256, 64, 48, 32, 24, 16}));
    EXPECT_FALSE(wndMain.GetOffscreen()->GetParams().bToolWindow);

    ASSERT_TRUE(ToolkitEnv().SetLanguage(PreviewLang::English));
    EXPECT_EQ(pInstall->GetWindowText(), L"Install");
    EXPECT_EQ(pLauncher->GetWindowText(), L"快速启动栏");
    EXPECT_EQ(pTitle->GetWindowText(), L"Notice");
    EXPECT_EQ(wndMain.TranslateText(L"title"), L"Tovadoc install program");
    EXPECT_EQ(wndMain.FindChildByName(L"link_license")->GetWindowText(), L"Consent to permit");

    ASSERT_TRUE(ToolkitEnv().SetLanguage(PreviewLang::None));
    EXPECT_EQ(pInstall->GetWindowText(), L"page1_install");
}

TEST_F(HostWnd, TimersArriveAsWmTimer) {
    CCountingWnd wnd(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(wnd.Create());
    ASSERT_TRUE(wnd.SetTimer(7, 1));
    EXPECT_TRUE(RunLoopUntil([&] { return wnd.m_nTicks >= 3; }, 30000));
    EXPECT_TRUE(wnd.KillTimer(7));
    EXPECT_FALSE(wnd.KillTimer(7));
    int nTicks = wnd.m_nTicks;
    RunLoopFor(20);
    EXPECT_EQ(wnd.m_nTicks, nTicks);
}

TEST_F(HostWnd, CloseRequestDestroysOnceAndStopsTimers) {
    CCountingWnd wnd(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(wnd.Create());
    wnd.ShowWindow(SW_SHOW);
    EXPECT_TRUE(wnd.IsWindowVisible());
    wnd.SetTimer(7, 1);
    wnd.GetOffscreen()->RequestClose();
    EXPECT_FALSE(wnd.IsWindow());
    EXPECT_EQ(wnd.m_nDestroys, 1);
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_nDestroys, 1);
    RunLoopFor(10);
    EXPECT_EQ(wnd.m_nTicks, 0);
    // The tree outlives the native window.
    EXPECT_NE(wnd.FindChildByName(L"btn_close"), nullptr);
}

TEST_F(HostWnd, MissingOrBrokenLayoutFails) {
    SHostWnd wndMissing(L"LAYOUT:NO_SUCH_LAYOUT");
    EXPECT_FALSE(wndMissing.Create());
    EXPECT_FALSE(wndMissing.IsWindow());

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        "<SOUI width='100' height='50'><root><window pos='1,2,oops'/><nosuchctrl pos='0,0,5,5'>"
        "<window name='inner'/></nosuchctrl><text name='ok' pos='|-10,0,@20,@10'>x</text></root>"
        "</SOUI>"));
    SHostWnd wnd;
    ASSERT_TRUE(wnd.InitFromXml(doc.child("SOUI")));
    EXPECT_EQ(wnd.GetChildrenCount(), 2u);  // the unknown element and its subtree are left out
    EXPECT_EQ(wnd.FindChildByName(L"inner"), nullptr);
    EXPECT_EQ(wnd.FindChildByName(L"ok")->GetWindowRect(), CRect(40, 0, 60, 10));
    // A window with a bad pos fills its parent.
    EXPECT_EQ(wnd.GetChild(0)->GetWindowRect(), CRect(0, 0, 100, 50));

    ASSERT_TRUE(doc.load_string("<SOUI width='-5' height='50'><root/></SOUI>"));
    EXPECT_FALSE(wnd.InitFromXml(doc.child("SOUI")));
}

TEST_F(HostWnd, ModalDialogEndsOnEscapeWithParentInsensitive) {
    SHostWnd wndMain(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wndMain.Create());
    wndMain.ShowWindow(SW_SHOW);
    SHostDialog dlg(L"LAYOUT:XML_MSGBOX_DLG");
    CHangGuard guard(dlg);
    bool bParentSensitiveInside = true;
    bool bDialogVisibleInside = false;
    SMessageLoop::PostTask([&] {
        bParentSensitiveInside = wndMain.GetBackend()->IsSensitive();
        bDialogVisibleInside = dlg.IsWindowVisible();
        dlg.GetOffscreen()->KeyDown(kHostKeyEscape);
    });
    EXPECT_EQ(dlg.DoModal(&wndMain), IDCANCEL);
    EXPECT_FALSE(bParentSensitiveInside);
    EXPECT_TRUE(bDialogVisibleInside);
    EXPECT_TRUE(wndMain.GetBackend()->IsSensitive());
    EXPECT_FALSE(dlg.IsWindow());
}

TEST_F(HostWnd, ClosingTheParentEndsTheDialogsOverIt) {
    // The window may be closed from code while dialogs run over it (the
    // installer does so on SIGTERM): they end with it.
    SHostWnd wndMain(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wndMain.Create());
    SHostDialog dlgOuter(L"LAYOUT:XML_PROTOCOLDLG_WND");
    SHostDialog dlgInner(L"LAYOUT:XML_MSGBOX_DLG");
    CHangGuard guardOuter(dlgOuter);
    CHangGuard guardInner(dlgInner);
    int nInner = 0;
    SMessageLoop::PostTask([&] {
        SMessageLoop::PostTask([&] { wndMain.SendMessage(WM_CLOSE); });
        nInner = dlgInner.DoModal(&dlgOuter);
    });
    EXPECT_EQ(dlgOuter.DoModal(&wndMain), IDCANCEL);
    EXPECT_EQ(nInner, IDCANCEL);
    EXPECT_FALSE(wndMain.IsWindow());
    EXPECT_FALSE(dlgOuter.IsWindow());
    EXPECT_FALSE(dlgInner.IsWindow());
}

TEST_F(HostWnd, DialogCloseButtonWithCancelIdEndsIt) {
    SHostWnd wndMain(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wndMain.Create());
    SHostDialog dlg(L"LAYOUT:XML_PROTOCOLDLG_WND");
    CHangGuard guard(dlg);
    SMessageLoop::PostTask([&] {
        CPoint pt = dlg.FindChildByID(2)->GetWindowRect().CenterPoint();
        dlg.GetOffscreen()->Click(pt.x, pt.y);
    });
    EXPECT_EQ(dlg.DoModal(&wndMain), IDCANCEL);
    // Centred over the parent.
    auto* pOff = dlg.GetOffscreen();
    EXPECT_EQ(pOff->GetPosX(), wndMain.GetOffscreen()->GetPosX() + (806 - 660) / 2);
}

TEST_F(HostWnd, DialogEndedDuringInitNeverShows) {
    class CQuickDlg : public SHostDialog {
    public:
        using SHostDialog::SHostDialog;
        bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                  LRESULT& lResult) override {
            if (uMsg == WM_INITDIALOG) {
                EndDialog(3);
                return true;
            }
            return SHostDialog::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
        }
    } dlg(L"LAYOUT:XML_MSGBOX_DLG");
    EXPECT_EQ(dlg.DoModal(nullptr), 3);
    SHostDialog dlgMissing(L"LAYOUT:NO_SUCH");
    EXPECT_EQ(dlgMissing.DoModal(nullptr), -1);
}

TEST_F(HostWnd, RichEditScrollsAndReloads) {
    SHostWnd wnd(L"LAYOUT:XML_PROTOCOLDLG_WND");
    ASSERT_TRUE(wnd.Create());
    auto* pRich = wnd.FindChildByName2<SRichEdit>(L"richedit_rtf");
    ASSERT_NE(pRich, nullptr);
    EXPECT_NE(pRich->GetWindowText().find(L"许可协议"), std::wstring::npos);
    int nMax = pRich->GetScrollMax();
    ASSERT_GT(nMax, 0);  // the licence is longer than the view
    CPoint pt = pRich->GetWindowRect().CenterPoint();
    COffscreenBackend* pOff = wnd.GetOffscreen();
    uint32_t crBefore = 0;
    CRect rcThumb = pRich->GetThumbRect();
    crBefore = ProbePixel(wnd, rcThumb.CenterPoint().x, rcThumb.top + 2);
    pOff->Wheel(-120, pt.x, pt.y);
    EXPECT_EQ(pRich->GetScrollPos(), SRichEdit::kWheelStep);
    EXPECT_GT(pRich->GetThumbRect().top, rcThumb.top);
    pOff->Wheel(120, pt.x, pt.y);
    pOff->Wheel(120, pt.x, pt.y);
    EXPECT_EQ(pRich->GetScrollPos(), 0);
    for (int i = 0; i < 1000 && pRich->GetScrollPos() < nMax; ++i) {
        pOff->Wheel(-120, pt.x, pt.y);
    }
    EXPECT_EQ(pRich->GetScrollPos(), nMax);
    EXPECT_GE(pRich->GetThumbRect().bottom, pRich->GetScrollBarRect().bottom - 20);
    // The thumb moved off its first place.
    EXPECT_FALSE(NearColor(ProbePixel(wnd, rcThumb.CenterPoint().x, rcThumb.top + 2), crBefore, 2));

    // A click on the lower rail pages down, on the upper arrow scrolls up.
    pRich->SetScrollPos(0);
    CRect rcBar = pRich->GetScrollBarRect();
    pOff->Click(rcBar.CenterPoint().x, rcBar.bottom - rcBar.Width() - 3);
    EXPECT_GT(pRich->GetScrollPos(), SRichEdit::kWheelStep);

    pRich->SetAttribute(L"rtf", L"RTF:rtf_protocol_rtf_en");
    EXPECT_EQ(pRich->GetScrollPos(), 0);
    EXPECT_NE(pRich->GetWindowText().find(L"Tovadoc End User Licence Agreement"),
              std::wstring::npos);
    pRich->SetAttribute(L"rtf", L"RTF:no_such_document");
    EXPECT_TRUE(pRich->GetWindowText().empty());
}
