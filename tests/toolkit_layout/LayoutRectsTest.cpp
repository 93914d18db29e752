// The rectangles of every named control of the installer's three layouts,
// worked out by hand from their pos values.
#include <gtest/gtest.h>

#include "toolkit/control/STabCtrl.h"
#include "toolkit/window/SHostWnd.h"
#include "tools/layout-preview/CPreviewEnv.h"

using namespace SOUI;

namespace {
CPreviewEnv& Env() {
    static CPreviewEnv* s_pEnv = [] {
        auto* p = new CPreviewEnv();
        EXPECT_TRUE(p->Init(PreviewLang::Chinese));
        return p;
    }();
    return *s_pEnv;
}

struct Expected {
    const wchar_t* pszName;
    CRect rc;
};

void ExpectRects(SHostWnd& wnd, std::initializer_list<Expected> list) {
    for (const Expected& e : list) {
        SWindow* p = wnd.FindChildByName(e.pszName);
        ASSERT_NE(p, nullptr) << e.pszName;
        const CRect& rc = p->GetWindowRect();
        EXPECT_EQ(rc, e.rc) << e.pszName << ": " << rc.left << "," << rc.top << "," << rc.right
                            << "," << rc.bottom;
    }
}

class LayoutRects : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Env().GetApp(), nullptr); }
};
}  // namespace

TEST_F(LayoutRects, MainWindow) {
    SHostWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetWindowRect(), CRect(0, 0, 806, 488));
    ExpectRects(wnd, {
                         {L"btn_min", {743, 3, 773, 23}},
                         {L"btn_close", {773, 3, 803, 23}},
                         {L"tab_main", {3, 23, 803, 483}},
                         {L"check_agree", {3, 23, 803, 483}},
                         {L"btn_installer", {338, 304, 468, 336}},
                         {L"win_border", {273, 346, 533, 373}},
                         {L"edit_path", {274, 347, 507, 372}},
                         {L"btn_open", {514, 354, 525, 365}},
                         {L"check_shortcut", {273, 375, 417, 407}},
                         {L"check_Launcher", {446, 375, 582, 407}},
                         {L"agree", {33, 433, 121, 465}},
                         {L"link_license", {126, 433, 276, 465}},
                         {L"img_gif", {238, 113, 568, 313}},
                         {L"txt_gif", {238, 323, 568, 343}},
                         {L"pro_install", {203, 353, 603, 359}},
                         {L"txt_percent", {353, 364, 453, 384}},
                         {L"txt_install_status", {253, 389, 553, 409}},
                         {L"btn_start", {333, 264, 473, 314}},
                     });
    // The unnamed texts of page 0 and the closing sentence of page 2.
    auto* pTab = wnd.FindChildByName2<STabCtrl>(L"tab_main");
    ASSERT_NE(pTab, nullptr);
    ASSERT_EQ(pTab->GetPageCount(), 3u);
    SWindow* pPage0 = pTab->GetPage(0);
    EXPECT_EQ(pPage0->GetChild(0)->GetWindowRect(), CRect(328, 81, 479, 214));
    EXPECT_EQ(pPage0->GetChild(1)->GetWindowRect(), CRect(253, 234, 553, 254));
    EXPECT_EQ(pPage0->GetChild(2)->GetWindowRect(), CRect(253, 264, 553, 284));
    SWindow* pThanks = pTab->GetPage(2)->GetChild(2);
    const CRect& rc = pThanks->GetWindowRect();
    EXPECT_EQ(rc.left, 263);
    EXPECT_EQ(rc.top, 373);
    // Sized by its text: sixteen bold 16-pixel characters on one line.
    EXPECT_GT(rc.Width(), 16 * 12);
    EXPECT_LT(rc.Width(), 16 * 20);
    EXPECT_GT(rc.Height(), 14);
    EXPECT_LT(rc.Height(), 32);
}

TEST_F(LayoutRects, MessageBox) {
    SHostWnd wnd(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetWindowRect(), CRect(0, 0, 300, 160));
    ExpectRects(wnd, {
                         {L"txt_title", {28, 3, 228, 48}},
                         {L"btn_close", {252, 13, 282, 33}},
                         {L"body", {3, 48, 297, 105}},
                         {L"btn_confirm", {98, 114, 180, 146}},
                         {L"btn_continue", {195, 114, 277, 146}},
                         {L"btn_cancel", {195, 114, 277, 146}},
                     });
    const CRect& rcMsg = wnd.FindChildByName(L"text_msg")->GetWindowRect();
    EXPECT_EQ(rcMsg.left, 23);
    EXPECT_EQ(rcMsg.top, 68);
    EXPECT_GT(rcMsg.Width(), 0);
    EXPECT_LE(rcMsg.Width(), 300);

    // Moving a button by its pos attribute at run time.
    SWindow* pConfirm = wnd.FindChildByName(L"btn_confirm");
    pConfirm->SetAttribute(L"pos", L"-102,|-16,@82,@32");
    EXPECT_EQ(pConfirm->GetWindowRect(), CRect(195, 114, 277, 146));
}

TEST_F(LayoutRects, LicenceDialog) {
    SHostWnd wnd(L"LAYOUT:XML_PROTOCOLDLG_WND");
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetWindowRect(), CRect(0, 0, 660, 350));
    ExpectRects(wnd, {{L"richedit_rtf", {25, 70, 635, 320}}});
    SWindow* pClose = wnd.FindChildByID(2);
    ASSERT_NE(pClose, nullptr);
    EXPECT_EQ(pClose->GetWindowRect(), CRect(615, 10, 645, 30));
    SWindow* pFrame = wnd.GetChild(0);
    EXPECT_EQ(pFrame->GetWindowRect(), CRect(5, 5, 655, 340));
    EXPECT_EQ(pFrame->GetChild(1)->GetWindowRect(), CRect(215, 40, 445, 60));
}

TEST_F(LayoutRects, NamedIdsResolveInEveryWindow) {
    SHostWnd wndMain(L"LAYOUT:XML_MAINWND");
    SHostWnd wndMsg(L"LAYOUT:XML_MSGBOX_DLG");
    SHostWnd wndLic(L"LAYOUT:XML_PROTOCOLDLG_WND");
    ASSERT_TRUE(wndMain.Create());
    ASSERT_TRUE(wndMsg.Create());
    ASSERT_TRUE(wndLic.Create());
    EXPECT_EQ(wndMain.FindChildByName(L"btn_close")->GetID(), 65537);
    EXPECT_EQ(wndMsg.FindChildByName(L"btn_close")->GetID(), 65537);
    EXPECT_EQ(wndMain.FindChildByName(L"btn_min")->GetID(), 65536);
    EXPECT_EQ(wndMain.FindChildByName(L"check_agree")->GetID(), 65539);
    EXPECT_EQ(wndMain.FindChildByName(L"check_Launcher")->GetID(), 65545);
    EXPECT_EQ(wndMain.FindChildByName(L"agree")->GetID(), 65546);
    EXPECT_EQ(wndMain.FindChildByName(L"txt_install_status")->GetID(), 65552);
    EXPECT_EQ(wndLic.FindChildByName(L"richedit_rtf")->GetID(), 65554);
    EXPECT_EQ(wndMsg.FindChildByName(L"btn_cancel")->GetID(), 65560);
    EXPECT_EQ(wndMsg.FindChildByName(L"text_msg")->GetID(), 65557);
    // An explicit id wins over the table.
    EXPECT_NE(wndLic.FindChildByID(2), nullptr);
}
