#include <gtest/gtest.h>

#include "ToolkitTestEnv.h"
#include "tests/support/StderrCapture.h"
#include "toolkit/control/SImageWnd.h"
#include "toolkit/control/SLink.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostWnd.h"

using namespace SOUI;

namespace {
class SWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
        ASSERT_TRUE(m_main.Create());
        ASSERT_TRUE(m_msg.Create());
    }
    SHostWnd m_main{L"LAYOUT:XML_MAINWND"};
    SHostWnd m_msg{L"LAYOUT:XML_MSGBOX_DLG"};
};
}  // namespace

TEST_F(SWindowTest, SkinAttributeSwapsThePicture) {
    m_main.FindChildByName2<STabCtrl>(L"tab_main")->SetCurSel(1);
    auto* pImg = m_main.FindChildByName2<SImageWnd>(L"img_gif");
    ASSERT_NE(pImg, nullptr);
    EXPECT_EQ(pImg->GetAttribute(L"skin"), L"skin.1");
    // Where the first picture's PDF sheet is and the others differ.
    std::vector<uint32_t> before;
    for (int y = 130; y < 300; y += 17) {
        before.push_back(ProbePixel(m_main, 300, y));
    }
    ASSERT_TRUE(pImg->SetAttribute(L"skin", L"skin.2"));
    EXPECT_EQ(pImg->GetAttribute(L"skin"), L"skin.2");
    int nChanged = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        nChanged += !NearColor(ProbePixel(m_main, 300, 130 + 17 * int(i)), before[i], 8);
    }
    EXPECT_GT(nChanged, 0);

    testsupport::StderrCapture capture;
    pImg->SetAttribute(L"skin", L"skin.9");
    EXPECT_EQ(pImg->GetSkin(), nullptr);
    EXPECT_NE(capture.Text().find("no skin [skin.9]"), std::string::npos);
}

TEST_F(SWindowTest, VisibilityAndEnabledStateCascade) {
    SWindow* pPage1Text = m_main.FindChildByName(L"txt_percent");
    EXPECT_TRUE(pPage1Text->IsVisible(false));
    EXPECT_FALSE(pPage1Text->IsVisible(true));  // its page is not shown

    SWindow* pBorder = m_main.FindChildByName(L"win_border");
    SWindow* pOpen = m_main.FindChildByName(L"btn_open");
    pBorder->EnableWindow(false);
    EXPECT_FALSE(pOpen->IsDisabled(false));
    EXPECT_TRUE(pOpen->IsDisabled(true));
    pBorder->EnableWindow(true);
    EXPECT_FALSE(pOpen->IsDisabled(true));

    // A hidden control takes no clicks and drops the focus.
    SWindow* pShortcut = m_main.FindChildByName(L"check_shortcut");
    pShortcut->SetFocus();
    EXPECT_EQ(m_main.GetFocus(), pShortcut);
    pShortcut->SetVisible(false, true);
    EXPECT_EQ(m_main.GetFocus(), nullptr);
    CPoint pt = pShortcut->GetWindowRect().CenterPoint();
    EXPECT_NE(m_main.HitTest(pt), pShortcut);
    EXPECT_EQ(pShortcut->GetAttribute(L"visible"), L"0");
}

TEST_F(SWindowTest, TextColourAndFontInheritFromAncestors) {
    // The frame window sets white text; the caption's title and the cancel
    // button set none of their own.
    EXPECT_EQ(m_msg.FindChildByName(L"txt_title")->GetTextColor(), SColor(255, 255, 255));
    EXPECT_EQ(m_msg.FindChildByName(L"btn_cancel")->GetTextColor(), SColor(255, 255, 255));
    EXPECT_EQ(m_msg.FindChildByName(L"text_msg")->GetTextColor(), SColor(0x38, 0x38, 0x38));
    SFontDesc title = m_msg.FindChildByName(L"txt_title")->GetFont();
    EXPECT_EQ(title.strFace, L"微软雅黑");
    EXPECT_TRUE(title.bBold);
    EXPECT_EQ(title.nSize, 16);
    // "adding:-2" is relative to the default font of the initial definitions.
    SFontDesc tab = m_main.FindChildByName(L"tab_main")->GetFont();
    EXPECT_EQ(tab.nSize, 13);
    EXPECT_EQ(tab.strFace, L"微软雅黑");
    // A page's text inherits the tab's face but sets its own size.
    SFontDesc install = m_main.FindChildByName(L"btn_installer")->GetFont();
    EXPECT_EQ(install.nSize, 16);
    EXPECT_FALSE(install.bBold);
}

TEST_F(SWindowTest, LinkChangesColourOnHover) {
    auto* pLink = m_main.FindChildByName2<SLink>(L"link_license");
    ASSERT_NE(pLink, nullptr);
    EXPECT_EQ(pLink->GetTextColor(), SColor(0x38, 0x38, 0x38));
    EXPECT_TRUE(pLink->GetFont().bUnderline);
    CPoint pt = pLink->GetWindowRect().CenterPoint();
    m_main.GetOffscreen()->MouseMove(pt.x, pt.y);
    EXPECT_TRUE(pLink->IsHover());
    EXPECT_EQ(pLink->GetTextColor(), SColor(0, 0, 0));
    EXPECT_EQ(m_main.GetOffscreen()->GetCursor(), HostCursor::Hand);
    m_main.GetOffscreen()->MouseLeave();
    EXPECT_FALSE(pLink->IsHover());
}

TEST_F(SWindowTest, ContentSizedTextFollowsItsText) {
    auto* pTab = m_main.FindChildByName2<STabCtrl>(L"tab_main");
    SWindow* pThanks = pTab->GetPage(2)->GetChild(2);
    CRect rcBefore = pThanks->GetWindowRect();
    pThanks->SetWindowText(L"OK");
    CRect rcAfter = pThanks->GetWindowRect();
    EXPECT_EQ(rcAfter.left, rcBefore.left);
    EXPECT_EQ(rcAfter.top, rcBefore.top);
    EXPECT_LT(rcAfter.Width(), rcBefore.Width() / 4);
    EXPECT_GT(rcAfter.Width(), 0);
}

TEST_F(SWindowTest, UnknownAttributesAreKeptAsText) {
    SWindow* pEdit = m_main.FindChildByName(L"edit_path");
    EXPECT_EQ(pEdit->GetAttribute(L"extend"), L"10");
    EXPECT_FALSE(pEdit->SetAttribute(L"myAttr", L"x"));
    EXPECT_EQ(pEdit->GetAttribute(L"myAttr"), L"x");
    EXPECT_EQ(pEdit->GetAttribute(L"absent"), L"");
    testsupport::StderrCapture capture;
    EXPECT_FALSE(pEdit->SetAttribute(L"pos", L"1,2,nonsense"));
    EXPECT_EQ(pEdit->GetWindowRect(), CRect(274, 347, 507, 372));  // unchanged
    EXPECT_NE(capture.Text().find("bad pos [1,2,nonsense] of [edit_path]"), std::string::npos);
}
