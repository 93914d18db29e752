#include "UiFixture.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/window/COffscreenBackend.h"
#include "ui/CMsgBoxDlg.h"

using namespace SOUI;

namespace {

// What a running box looked like, taken from inside its modal loop.
struct CBoxView {
    bool bShown = false;
    CSize szWindow;
    bool bConfirm = false, bCancel = false, bContinue = false;
    CRect rcConfirm, rcSecond, rcText, rcBody;
    CSize szTextNeeds;
};

class MsgBoxDlg : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        ASSERT_TRUE(m_wndMain.Create());
    }
    // Runs a box and presses pszButton in it; returns the box's result.
    int Run(const std::wstring& strText, int nStyle, const wchar_t* pszButton) {
        CMsgBoxDlg dlg(strText, nStyle);
        SMessageLoop::PostTask([this, pszButton] {
            CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive();
            m_view.bShown = pBox && pBox->IsWindowVisible();
            if (!pBox) {
                return;
            }
            auto visible = [&](const wchar_t* pszName) {
                SWindow* p = pBox->FindChildByName(pszName);
                return p && p->IsVisible(true);
            };
            m_view.szWindow = pBox->GetWindowSize();
            m_view.bConfirm = visible(L"btn_confirm");
            m_view.bCancel = visible(L"btn_cancel");
            m_view.bContinue = visible(L"btn_continue");
            m_view.rcConfirm = pBox->FindChildByName(L"btn_confirm")->GetWindowRect();
            m_view.rcSecond =
                pBox->FindChildByName(m_view.bCancel ? L"btn_cancel" : L"btn_continue")
                    ->GetWindowRect();
            SWindow* pText = pBox->FindChildByName(L"text_msg");
            m_view.rcText = pText->GetWindowRect();
            m_view.rcBody = pText->GetParent()->GetWindowRect();
            m_view.szTextNeeds = pText->GetDesiredSize(CMsgBoxDlg::kMinWidth);
            ClickControl(*pBox, pszButton);
        });
        return dlg.DoModal(&m_wndMain);
    }

    SHostWnd m_wndMain{L"LAYOUT:XML_MAINWND"};
    CBoxView m_view;
};

TEST_F(MsgBoxDlg, EachButtonEndsWithItsCode) {
    EXPECT_EQ(Run(L"x", 1, L"btn_confirm"), CMsgBoxDlg::kResultConfirm);
    EXPECT_EQ(Run(L"x", 1, L"btn_cancel"), CMsgBoxDlg::kResultCancel);
    // The caption's close button is not the cancel button.
    EXPECT_EQ(Run(L"x", 1, L"btn_close"), CMsgBoxDlg::kResultClose);
    EXPECT_EQ(Run(L"x", 0, L"btn_continue"), CMsgBoxDlg::kResultContinue);
    EXPECT_EQ(Run(L"x", 2, L"btn_confirm"), CMsgBoxDlg::kResultConfirm);
    EXPECT_EQ(CMsgBoxDlg::GetActive(), nullptr);
}

// Escape and the window manager's close are the caption's close, never a
// confirmation.
TEST_F(MsgBoxDlg, EscapeAndCloseRequestAreNotAConfirmation) {
    for (bool bEscape : {true, false}) {
        CMsgBoxDlg dlg(L"x", 1);
        SMessageLoop::PostTask([bEscape] {
            if (CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive()) {
                if (bEscape)
                    pBox->GetOffscreen()->KeyDown(kHostKeyEscape);
                else
                    pBox->GetOffscreen()->RequestClose();
            }
        });
        EXPECT_EQ(dlg.DoModal(&m_wndMain), CMsgBoxDlg::kResultClose) << bEscape;
    }
}

TEST_F(MsgBoxDlg, ButtonSetsByStyle) {
    Run(L"x", 1, L"btn_confirm");
    ASSERT_TRUE(m_view.bShown);
    EXPECT_TRUE(m_view.bConfirm && m_view.bCancel && !m_view.bContinue);
    EXPECT_LT(m_view.rcConfirm.right, m_view.rcSecond.left) << "confirm on the left of cancel";
    const CRect rcLeft = m_view.rcConfirm;

    Run(L"x", 0, L"btn_confirm");
    EXPECT_TRUE(m_view.bConfirm && !m_view.bCancel && m_view.bContinue);
    EXPECT_EQ(m_view.rcConfirm, rcLeft);

    for (int nStyle : {2}) {
        Run(L"x", nStyle, L"btn_confirm");
        EXPECT_TRUE(m_view.bConfirm && !m_view.bCancel && !m_view.bContinue);
        // Alone, confirm takes the right place, where cancel stood.
        EXPECT_EQ(m_view.rcConfirm.Width(), 82);
        EXPECT_EQ(m_view.rcConfirm.right - rcLeft.right, 97);
    }
    Run(L"x", 7, L"btn_cancel");
    EXPECT_TRUE(m_view.bConfirm && m_view.bCancel && !m_view.bContinue);
}

TEST_F(MsgBoxDlg, ShortMessageKeepsTheLayoutSize) {
    Run(L"当前安装路径无法创建,请重新指定!", 1, L"btn_confirm");
    EXPECT_EQ(m_view.szWindow, CSize(300, 160));
}

TEST_F(MsgBoxDlg, LongMessageGrowsTheBoxAndSitsInTheBody) {
    std::wstring strLong;
    for (int i = 0; i < 12; ++i) {
        strLong += L"The install directory is invalid. Please reassign it! ";
    }
    Run(strLong, 1, L"btn_confirm");
    ASSERT_TRUE(m_view.bShown);
    EXPECT_GT(m_view.szTextNeeds.cy, 160);
    EXPECT_EQ(m_view.szWindow.cy, m_view.szTextNeeds.cy + 103);
    EXPECT_EQ(m_view.szWindow.cx, std::max(300, static_cast<int>(m_view.szTextNeeds.cx) + 26));
    EXPECT_LE(m_view.szTextNeeds.cx, 300);
    // The text fills the body from top to bottom, its edges kept.
    EXPECT_EQ(m_view.rcText.top, m_view.rcBody.top);
    EXPECT_EQ(m_view.rcText.bottom, m_view.rcBody.bottom);
    EXPECT_EQ(m_view.rcText.left - m_view.rcBody.left, 20);
    EXPECT_GE(m_view.rcText.Height(), m_view.szTextNeeds.cy);
}

TEST_F(MsgBoxDlg, ShowMsgBoxIsModalOverItsParent) {
    m_wndMain.ShowWindow(SW_SHOW);
    bool bParentBlocked = false;
    SMessageLoop::PostTask([&] {
        bParentBlocked = !m_wndMain.GetBackend()->IsSensitive();
        if (CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive()) {
            pBox->GetOffscreen()->RequestClose();
        }
    });
    ShowMsgBox(&m_wndMain, L"x");
    EXPECT_TRUE(bParentBlocked);
    EXPECT_TRUE(m_wndMain.GetBackend()->IsSensitive());
    EXPECT_EQ(CMsgBoxDlg::GetActive(), nullptr);
}

}  // namespace

namespace {

TEST_F(MsgBoxDlg, EnterPressesTheFocusedButtonElseConfirm) {
    // The keys a user presses, and the button Enter ends up pressing.
    struct Case {
        std::vector<unsigned> keys;
        int nResult;
    };
    const Case cases[] = {
        {{kHostKeyReturn}, CMsgBoxDlg::kResultConfirm},
        {{kHostKeyKpEnter}, CMsgBoxDlg::kResultConfirm},
        // Tab from confirm: cancel, close, confirm.
        {{kHostKeyTab, kHostKeyReturn}, CMsgBoxDlg::kResultCancel},
        {{kHostKeyTab, kHostKeyTab, kHostKeyReturn}, CMsgBoxDlg::kResultClose},
        {{kHostKeyTab, kHostKeyTab, kHostKeyTab, kHostKeyKpEnter}, CMsgBoxDlg::kResultConfirm},
        {{kHostKeyLeftTab, kHostKeySpace}, CMsgBoxDlg::kResultClose},
    };
    for (const Case& c : cases) {
        CMsgBoxDlg dlg(L"x", 1);
        SMessageLoop::PostTask([&c] {
            CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive();
            ASSERT_NE(pBox, nullptr);
            // The box opens with its default button focused (and no ring
            // until the keyboard is used).
            EXPECT_EQ(pBox->GetDefaultButton(), pBox->FindChildByName(L"btn_confirm"));
            EXPECT_EQ(pBox->GetFocus(), pBox->GetDefaultButton());
            EXPECT_EQ(pBox->GetFocusRingWindow(), nullptr);
            for (unsigned nKey : c.keys) {
                pBox->GetOffscreen()->KeyDown(nKey);
            }
        });
        EXPECT_EQ(dlg.DoModal(&m_wndMain), c.nResult) << c.keys.size() << " keys";
    }
}

}  // namespace
