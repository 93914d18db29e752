#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LayoutWindows.h"
#include "XTestHelpers.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/host/CGtkHostBackend.h"

using namespace SOUI;
using gtkhosttest::CRecordingWnd;
using gtkhosttest::Num;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

class GtkHostDialog : public gtkhosttest::RealWindowTest {
protected:
    void SetUp() override {
        RealWindowTest::SetUp();
        if (IsSkipped())
            return;
        m_pEnv = gtkhosttest::MakeEnv(PreviewLang::Chinese);
        ASSERT_NE(m_pEnv, nullptr) << "toolkit modules or resources missing";
        m_pMain = std::make_unique<CRecordingWnd>(L"LAYOUT:XML_MAINWND");
        ASSERT_TRUE(gtkhosttest::ShowOnScreen(*m_pMain, 100, 80));
    }
    void TearDown() override {
        m_pMain.reset();
        RealWindowTest::TearDown();
    }

    // Runs fn inside the dialog's loop once the server shows the dialog
    // (input sent before that lands on the owner). A dialog fn did not end
    // is ended with -1, so the test fails instead of hanging.
    void WhenShown(SHostDialog& dlg, std::function<void()> fn) {
        m_fnShown = [&dlg, fn = std::move(fn)] {
            if (WaitFor([&] {
                    unsigned long nXid = gtkhosttest::XidOf(dlg);
                    return dlg.IsWindowVisible() && nXid != 0 && gtkhosttest::IsShownByServer(nXid);
                }))
                fn();
            if (!WaitFor([&] { return !dlg.IsModalRunning(); }, 20000))
                dlg.EndDialog(-1);
        };
        g_idle_add(
            [](gpointer p) -> gboolean {
                (*static_cast<std::function<void()>*>(p))();
                return G_SOURCE_REMOVE;
            },
            &m_fnShown);
    }

    std::unique_ptr<CPreviewEnv> m_pEnv;
    std::unique_ptr<CRecordingWnd> m_pMain;
    std::function<void()> m_fnShown;
};

TEST_F(GtkHostDialog, ReturnsTheCodeOfTheButtonThatEndedIt) {
    gtkhosttest::COkDialog dlg(L"LAYOUT:XML_MSGBOX_DLG");
    bool bOwnerDisabled = false;
    int nDlgX = 0, nDlgY = 0, nMainX = 0, nMainY = 0;
    WhenShown(dlg, [&] {
        bOwnerDisabled = !m_pMain->GetBackend()->IsSensitive();
        gtkhosttest::ScreenPos(dlg, nDlgX, nDlgY);
        gtkhosttest::ScreenPos(*m_pMain, nMainX, nMainY);
        int x = 0, y = 0;
        gtkhosttest::ControlCentre(dlg, L"btn_confirm", x, y);
        XDoTool({"mousemove", Num(x), Num(y), "click", "1"});
    });
    EXPECT_EQ(dlg.DoModal(m_pMain.get()), IDOK);
    EXPECT_TRUE(bOwnerDisabled);
    EXPECT_TRUE(m_pMain->GetBackend()->IsSensitive());
    // Centred on its owner.
    EXPECT_EQ(nDlgX, nMainX + (806 - 300) / 2);
    EXPECT_EQ(nDlgY, nMainY + (488 - 160) / 2);
    EXPECT_FALSE(dlg.IsWindow());
    EXPECT_TRUE(m_pMain->IsWindow());
}

TEST_F(GtkHostDialog, EscapeEndsItAsCancel) {
    gtkhosttest::COkDialog dlg(L"LAYOUT:XML_MSGBOX_DLG");
    WhenShown(dlg, [&] {
        int x = 0, y = 0;
        gtkhosttest::ControlCentre(dlg, L"text_msg", x, y);
        XDoTool({"mousemove", Num(x), Num(y)});
        XDoTool({"key", "Escape"});
    });
    EXPECT_EQ(dlg.DoModal(m_pMain.get()), IDCANCEL);
    EXPECT_TRUE(m_pMain->GetBackend()->IsSensitive());
}

TEST_F(GtkHostDialog, WindowManagerCloseEndsItAsCancelAndSparesTheOwner) {
    gtkhosttest::COkDialog dlg(L"LAYOUT:XML_MSGBOX_DLG");
    int nOwnerCloses = -1;
    WhenShown(dlg, [&] {
        // The disabled owner ignores the window manager's close meanwhile.
        gtkhosttest::SendDeleteWindow(gtkhosttest::XidOf(*m_pMain));
        WaitFor([] { return false; }, 200);
        nOwnerCloses = m_pMain->CountMessages(WM_CLOSE, 0);
        gtkhosttest::SendDeleteWindow(gtkhosttest::XidOf(dlg));
    });
    EXPECT_EQ(dlg.DoModal(m_pMain.get()), IDCANCEL);
    EXPECT_EQ(nOwnerCloses, 0);
    EXPECT_TRUE(m_pMain->IsWindow());
}

TEST_F(GtkHostDialog, TheLicenceDialogsCloseButtonEndsItWithItsId) {
    SHostDialog dlg(L"LAYOUT:XML_PROTOCOLDLG_WND");
    std::string strNoButton;
    WhenShown(dlg, [&] {
        int x = 0, y = 0;
        if (!gtkhosttest::ControlCentreById(dlg, IDCANCEL, x, y)) {
            strNoButton = "no close button";
            dlg.EndDialog(-5);
            return;
        }
        XDoTool({"mousemove", Num(x), Num(y), "click", "1"});
    });
    EXPECT_EQ(dlg.DoModal(m_pMain.get()), IDCANCEL) << strNoButton;
}

}  // namespace
