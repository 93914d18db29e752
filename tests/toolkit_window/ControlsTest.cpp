#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolkitTestEnv.h"
#include "tests/support/StderrCapture.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SEdit.h"
#include "toolkit/control/SImageButton.h"
#include "toolkit/control/SLink.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/SRichEdit.h"
#include "toolkit/control/SStatic.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/EventCmd.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SFocusRing.h"
#include "toolkit/window/SHostWnd.h"

using namespace SOUI;

namespace {
// A window that records the command events its controls fire.
class CRecordingWnd : public SHostWnd {
public:
    using SHostWnd::SHostWnd;
    struct Cmd {
        std::wstring strName;
        int nID;
    };
    bool _HandleEvent(EventArgs* pEvt) override {
        if (pEvt->GetID() == EVT_CMD) {
            m_cmds.push_back({pEvt->nameFrom, pEvt->idFrom});
            return true;
        }
        return false;
    }
    std::vector<Cmd> m_cmds;
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
        ASSERT_TRUE(m_wnd.Create());
        m_wnd.ShowWindow(SW_SHOW);
        m_pOff = m_wnd.GetOffscreen();
        ASSERT_NE(m_pOff, nullptr);
    }
    CPoint Center(const wchar_t* pszName) {
        return m_wnd.FindChildByName(pszName)->GetWindowRect().CenterPoint();
    }
    void ClickOn(const wchar_t* pszName) {
        CPoint pt = Center(pszName);
        m_pOff->Click(pt.x, pt.y);
    }

    CRecordingWnd m_wnd{L"LAYOUT:XML_MAINWND"};
    COffscreenBackend* m_pOff = nullptr;
};
}  // namespace

TEST_F(Controls, ClickFiresCommandWithNameAndId) {
    ClickOn(L"btn_installer");
    ASSERT_EQ(m_wnd.m_cmds.size(), 1u);
    EXPECT_EQ(m_wnd.m_cmds[0].strName, L"btn_installer");
    EXPECT_EQ(m_wnd.m_cmds[0].nID, 65540);
    ClickOn(L"btn_close");
    ASSERT_EQ(m_wnd.m_cmds.size(), 2u);
    EXPECT_EQ(m_wnd.m_cmds[1].strName, L"btn_close");
    EXPECT_EQ(m_wnd.m_cmds[1].nID, 65537);

    // Released outside the button: no click.
    CPoint pt = Center(L"btn_installer");
    m_pOff->MouseDown(pt.x, pt.y);
    m_pOff->MouseMove(10, 200);
    m_pOff->MouseUp(10, 200);
    EXPECT_EQ(m_wnd.m_cmds.size(), 2u);
    // A text is not a button.
    m_pOff->Click(403, 244);
    EXPECT_EQ(m_wnd.m_cmds.size(), 2u);
}

TEST_F(Controls, DisabledButtonIgnoresClicksAndKeys) {
    auto* pBtn = m_wnd.FindChildByName2<SImageButton>(L"btn_installer");
    ASSERT_NE(pBtn, nullptr);
    pBtn->EnableWindow(false, true);
    ClickOn(L"btn_installer");
    pBtn->SetFocus();
    m_pOff->KeyDown(kHostKeyReturn);
    EXPECT_TRUE(m_wnd.m_cmds.empty());
    pBtn->EnableWindow(true, true);
    ClickOn(L"btn_installer");
    EXPECT_EQ(m_wnd.m_cmds.size(), 1u);
}

TEST_F(Controls, ButtonStatesDrawTheirSkinFrames) {
    // A point inside the stretched middle of the button's nine-part frame,
    // and where it comes from in each 128-pixel state cell of the image.
    const int x = 345, y = 310;
    IBitmapS* pImg = ToolkitEnv().GetApp()->LoadImage(L"PNG:image_btn_png");
    ASSERT_NE(pImg, nullptr);
    uint32_t src[4];
    for (int i = 0; i < 4; ++i) {
        src[i] = ProbeSurface(pImg->GetSurface(), i * 128 + 7, 6);
    }
    pImg->Release();
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            ASSERT_FALSE(NearColor(src[i], src[j], 4)) << i << " " << j;
        }
    }
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), src[0], 12));
    m_pOff->MouseMove(x, y);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), src[1], 12));
    m_pOff->MouseDown(x, y);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), src[2], 12));
    m_pOff->MouseUp(x, y);
    m_pOff->MouseLeave();
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), src[0], 12));
    m_wnd.FindChildByName(L"btn_installer")->EnableWindow(false, true);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), src[3], 12));
}

TEST_F(Controls, CheckBoxTogglesAndDrawsItsState) {
    auto* pAgree = m_wnd.FindChildByName2<SCheckBox>(L"agree");
    ASSERT_NE(pAgree, nullptr);
    EXPECT_FALSE(pAgree->IsChecked());
    // Inside the box, off the tick.
    CPoint ptBox = pAgree->GetBoxRect().TopLeft() + CPoint(3, 3);
    uint32_t crUnchecked = ProbePixel(m_wnd, ptBox.x, ptBox.y);
    ClickOn(L"agree");
    EXPECT_TRUE(pAgree->IsChecked());
    ASSERT_EQ(m_wnd.m_cmds.size(), 1u);
    EXPECT_EQ(m_wnd.m_cmds[0].strName, L"agree");
    m_pOff->MouseLeave();
    EXPECT_FALSE(NearColor(ProbePixel(m_wnd, ptBox.x, ptBox.y), crUnchecked, 16));
    pAgree->SetCheck(false);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, ptBox.x, ptBox.y), crUnchecked, 2));
}

TEST_F(Controls, KeyboardMovesFocusAndPresses) {
    // Focus order on page 0: btn_min, btn_close, btn_installer, edit_path,
    // btn_open, check_shortcut, check_Launcher, agree, link_license.
    for (int i = 0; i < 3; ++i) {
        m_pOff->KeyDown(kHostKeyTab);
    }
    ASSERT_NE(m_wnd.GetFocus(), nullptr);
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"btn_installer");
    m_pOff->KeyDown(kHostKeyReturn);
    ASSERT_EQ(m_wnd.m_cmds.size(), 1u);
    EXPECT_EQ(m_wnd.m_cmds[0].strName, L"btn_installer");

    // Hidden controls are skipped: hide the shortcut boxes as the installer does.
    m_wnd.FindChildByName(L"check_shortcut")->SetVisible(false, true);
    m_wnd.FindChildByName(L"check_Launcher")->SetVisible(false, true);
    m_pOff->KeyDown(kHostKeyTab);
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"edit_path");
    m_pOff->KeyDown(kHostKeyTab);
    m_pOff->KeyDown(kHostKeyTab);
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"agree");
    m_pOff->KeyDown(kHostKeySpace);
    EXPECT_TRUE(m_wnd.FindChildByName2<SCheckBox>(L"agree")->IsChecked());
    EXPECT_EQ(m_wnd.m_cmds.back().strName, L"agree");
    m_pOff->KeyDown(kHostKeyTab);
    m_pOff->KeyDown(kHostKeyTab);  // wraps round
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"btn_min");
    m_pOff->KeyDown(kHostKeyLeftTab);
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"link_license");
    m_pOff->KeyDown(kHostKeySpace);
    EXPECT_EQ(m_wnd.m_cmds.back().strName, L"link_license");
}

TEST_F(Controls, FindChildByName2TestsTheClass) {
    EXPECT_NE(m_wnd.FindChildByName2<SLink>(L"link_license"), nullptr);
    EXPECT_NE(m_wnd.FindChildByName2<SWindow>(L"link_license"), nullptr);
    EXPECT_NE(m_wnd.FindChildByName2<SStatic>(L"txt_percent"), nullptr);
    EXPECT_NE(m_wnd.FindChildByName2<SProgress>(L"pro_install"), nullptr);
    EXPECT_NE(m_wnd.FindChildByName2<SEdit>(L"edit_path"), nullptr);
    testsupport::StderrCapture capture;
    EXPECT_EQ(m_wnd.FindChildByName2<SCheckBox>(L"btn_installer"), nullptr);
    EXPECT_EQ(m_wnd.FindChildByName2<SStatic>(L"no_such"), nullptr);
    std::string strLog = capture.Text();
    EXPECT_NE(strLog.find("FindChildByName2 Failed, no window of class [check] with name of "
                          "[btn_installer] was found within [-1] levels"),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("Tovadoc"), std::string::npos);
    EXPECT_NE(strLog.find("[text] with name of [no_such]"), std::string::npos);
}

TEST_F(Controls, TabShowsOnePage) {
    auto* pTab = m_wnd.FindChildByName2<STabCtrl>(L"tab_main");
    ASSERT_NE(pTab, nullptr);
    EXPECT_EQ(pTab->GetCurSel(), 0);
    EXPECT_TRUE(m_wnd.FindChildByName(L"btn_installer")->IsVisible(true));
    EXPECT_FALSE(m_wnd.FindChildByName(L"pro_install")->IsVisible(true));
    ASSERT_TRUE(pTab->SetCurSel(1));
    EXPECT_FALSE(m_wnd.FindChildByName(L"btn_installer")->IsVisible(true));
    EXPECT_TRUE(m_wnd.FindChildByName(L"pro_install")->IsVisible(true));
    // A click where the Install button was reaches nothing now.
    ClickOn(L"btn_installer");
    EXPECT_TRUE(m_wnd.m_cmds.empty());
    EXPECT_FALSE(pTab->SetCurSel(3));
    EXPECT_FALSE(pTab->SetCurSel(-1));
    EXPECT_EQ(pTab->GetCurSel(), 1);
    ASSERT_TRUE(pTab->SetCurSel(2));
    ClickOn(L"btn_start");
    ASSERT_EQ(m_wnd.m_cmds.size(), 1u);
    EXPECT_EQ(m_wnd.m_cmds[0].strName, L"btn_start");
}

TEST_F(Controls, ProgressValueAndFill) {
    auto* pTab = m_wnd.FindChildByName2<STabCtrl>(L"tab_main");
    pTab->SetCurSel(1);
    auto* pPro = m_wnd.FindChildByName2<SProgress>(L"pro_install");
    ASSERT_NE(pPro, nullptr);
    EXPECT_EQ(pPro->GetValue(), 20);  // the layout's value
    pPro->SetValue(150);
    EXPECT_EQ(pPro->GetValue(), 100);
    pPro->SetValue(-5);
    EXPECT_EQ(pPro->GetValue(), 0);
    pPro->SetValue(50);
    EXPECT_EQ(pPro->GetFillRect(), CRect(203, 353, 403, 359));
    uint32_t crFill = ProbePixel(m_wnd, 300, 356);
    uint32_t crTrack = ProbePixel(m_wnd, 500, 356);
    EXPECT_FALSE(NearColor(crFill, crTrack, 16));
    pPro->SetValue(100);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, 500, 356), crFill, 16));
}

TEST_F(Controls, EditModelAndNativeOverlay) {
    auto* pEdit = m_wnd.FindChildByName2<SEdit>(L"edit_path");
    ASSERT_NE(pEdit, nullptr);
    int nId = pEdit->GetNativeId();
    ASSERT_GT(nId, 0);
    EXPECT_TRUE(m_pOff->IsEditVisible(nId));
    HostRect rc = m_pOff->GetEditRect(nId);
    EXPECT_EQ(rc.left, 274);
    EXPECT_EQ(rc.bottom, 372);

    pEdit->SetWindowText(L"/opt/Tova");
    EXPECT_EQ(m_pOff->GetEditText(nId), L"/opt/Tova");
    ClickOn(L"edit_path");
    EXPECT_EQ(m_wnd.GetFocus(), pEdit);
    EXPECT_EQ(m_pOff->GetFocusedEdit(), nId);
    m_pOff->KeyDown('d');
    m_pOff->KeyDown('x');
    m_pOff->KeyDown(0xff08);     // BackSpace
    m_pOff->KeyDown(0x10000e9);  // a non-Latin-1 keysym: U+00E9 as Unicode keysym
    EXPECT_EQ(pEdit->GetWindowText(), L"/opt/Tovad\u00e9");
    EXPECT_EQ(m_pOff->GetEditText(nId), L"/opt/Tovad\u00e9");

    // Typing in the native entry updates the model; the text is never translated.
    m_pOff->TypeIntoEdit(nId, L"title");
    EXPECT_EQ(pEdit->GetWindowText(), L"title");

    // Focus on a drawn control takes the keyboard from the native entry;
    // the entry taking it back moves the model's focus.
    m_pOff->KeyDown(kHostKeyTab);
    EXPECT_EQ(m_wnd.GetFocus()->GetNameStr(), L"btn_open");
    EXPECT_EQ(m_pOff->GetFocusedEdit(), 0);
    m_wnd.OnBackendEditFocus(nId);
    EXPECT_EQ(m_wnd.GetFocus(), pEdit);

    m_wnd.FindChildByName2<STabCtrl>(L"tab_main")->SetCurSel(1);
    EXPECT_FALSE(m_pOff->IsEditVisible(nId));
}

TEST_F(Controls, CaptionPressStartsAMove) {
    m_pOff->MouseDown(100, 10);
    m_pOff->MouseUp(100, 10);
    EXPECT_EQ(m_pOff->GetMoveRequests(), 1);
    EXPECT_TRUE(m_wnd.m_cmds.empty());
    // Passive parts of the page drag the window too; controls do not.
    m_pOff->MouseDown(403, 147);  // the logo
    m_pOff->MouseUp(403, 147);
    EXPECT_EQ(m_pOff->GetMoveRequests(), 2);
    ClickOn(L"btn_installer");
    ClickOn(L"edit_path");
    EXPECT_EQ(m_pOff->GetMoveRequests(), 2);
    m_pOff->MouseMove(Center(L"btn_close").x, Center(L"btn_close").y);
    EXPECT_EQ(m_pOff->GetCursor(), HostCursor::Hand);
    m_pOff->MouseMove(100, 10);
    EXPECT_EQ(m_pOff->GetCursor(), HostCursor::Arrow);
}

TEST(ControlsText, StaticSizeWrapsAtMaximumWidth) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    SHostWnd wnd(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(wnd.Create());
    auto* pMsg = wnd.FindChildByName2<SStatic>(L"text_msg");
    ASSERT_NE(pMsg, nullptr);
    CSize szOne = pMsg->GetDesiredSize(1000);
    EXPECT_GT(szOne.cx, 0);
    EXPECT_LT(szOne.cx, 100);  // "文本"
    pMsg->SetWindowText(
        L"当前安装路径无法创建,请重新指定!当前安装路径无法创建,请重新指定!"
        L"当前安装路径无法创建,请重新指定!");
    CSize szLong = pMsg->GetDesiredSize(1000);
    EXPECT_LE(szLong.cx, 300);
    EXPECT_GE(szLong.cx, 250);
    EXPECT_GE(szLong.cy, 2 * szOne.cy);
    // The window follows its text ("@-1").
    EXPECT_EQ(pMsg->GetWindowRect().Size(), szLong);
}

TEST_F(Controls, FocusRingMarksKeyboardFocusOnlyUntilTheMouseIsUsed) {
    SWindow* pInstall = m_wnd.FindChildByName(L"btn_installer");
    CRect rc = pInstall->GetWindowRect();
    // On the ring: outside the button, past the gap, halfway along the top.
    CPoint ptRing(rc.CenterPoint().x, rc.top - SFocusRing::kGap - 1);
    const uint32_t crRing = 0xff0b3a82u;
    uint32_t crPlain = ProbePixel(m_wnd, ptRing.x, ptRing.y);

    // A click focuses the button but shows no mark.
    m_pOff->Click(rc.CenterPoint().x, rc.CenterPoint().y);
    m_pOff->MouseLeave();
    EXPECT_EQ(m_wnd.GetFocus(), pInstall);
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, ptRing.x, ptRing.y), crPlain, 2));

    // Reaching it with Tab shows the mark; a press with the mouse hides it again.
    m_pOff->KeyDown(kHostKeyLeftTab);
    m_pOff->KeyDown(kHostKeyTab);
    ASSERT_EQ(m_wnd.GetFocus(), pInstall);
    ASSERT_FALSE(NearColor(crPlain, crRing, 16)) << std::hex << crPlain;
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, ptRing.x, ptRing.y), crRing, 2));
    m_pOff->Click(rc.CenterPoint().x, rc.CenterPoint().y);
    m_pOff->MouseLeave();
    EXPECT_TRUE(NearColor(ProbePixel(m_wnd, ptRing.x, ptRing.y), crPlain, 2));
}

TEST_F(Controls, AnimatedButtonCrossFadesUnlessMotionIsReduced) {
    // The close button is its skin's size: a point where the normal and the
    // hover frame differ, in the image and in the window.
    IBitmapS* pImg = ToolkitEnv().GetApp()->LoadImage(L"PNG:image_btn_close_png");
    ASSERT_NE(pImg, nullptr);
    int dx = -1, dy = 0;
    uint32_t normal = 0, hover = 0;
    for (int n = 0; n < 30 * 20 && dx < 0; ++n) {
        normal = ProbeSurface(pImg->GetSurface(), n % 30, n / 30);
        hover = ProbeSurface(pImg->GetSurface(), 30 + n % 30, n / 30);
        if (!NearColor(normal, hover, 60) && (normal & hover) >> 24 == 0xff) {
            dx = n % 30;
            dy = n / 30;
        }
    }
    pImg->Release();
    ASSERT_GE(dx, 0) << "the frames do not differ";
    auto* pClose = m_wnd.FindChildByName2<SImageButton>(L"btn_close");
    const int x = pClose->GetWindowRect().left + dx, y = pClose->GetWindowRect().top + dy;
    for (bool bAnimations : {true, false}) {
        SCOPED_TRACE(bAnimations ? "animations on" : "reduced motion");
        SDesktopSettings settings;
        settings.bAnimations = bAnimations;
        CDesktopSettingsScope scope(settings);
        m_pOff->MouseLeave();
        ASSERT_TRUE(RunLoopUntil([&] { return !pClose->IsFading(); }, 2000));
        EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), normal, 12));
        m_pOff->MouseMove(x, y);
        // The paint that sees the change starts from the old frame.
        EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), bAnimations ? normal : hover, 12));
        EXPECT_EQ(pClose->IsFading(), bAnimations);
        const int64_t nHalfway = pClose->GetFadeStartUs() + SImageButton::kFadeMs * 500;
        EXPECT_NEAR(pClose->FadeAlphaAt(nHalfway), bAnimations ? 127 : 255, 1);
        ASSERT_TRUE(RunLoopUntil([&] { return !pClose->IsFading(); }, 2000));
        EXPECT_TRUE(NearColor(ProbePixel(m_wnd, x, y), hover, 12));
    }
    m_pOff->MouseLeave();
}
