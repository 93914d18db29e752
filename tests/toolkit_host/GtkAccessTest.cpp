// Real windows as the desktop's accessibility layer (ATK) and a pointer
// user see them: the bridge's objects, their states, values, text and
// actions, and the tool tips GTK shows for the model.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

#include "LayoutWindows.h"
#include "XTestHelpers.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/host/CGtkHostBackend.h"
#include "toolkit/window/SHostDialog.h"

using namespace SOUI;
using gtkhosttest::CRecordingWnd;
using gtkhosttest::Num;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

constexpr int kLeft = 140;
constexpr int kTop = 110;

class GtkAccess : public gtkhosttest::RealWindowTest {
protected:
    void SetUp() override {
        RealWindowTest::SetUp();
        if (IsSkipped())
            return;
        m_pEnv = gtkhosttest::MakeEnv(PreviewLang::English);
        ASSERT_NE(m_pEnv, nullptr);
    }

    std::unique_ptr<CPreviewEnv> m_pEnv;
};

GtkWidget* NativeWidget(SHostWnd& wnd) {
    auto* pGtk = dynamic_cast<CGtkHostBackend*>(wnd.GetBackend());
    return pGtk ? pGtk->GetNativeWindow().GetWidget() : nullptr;
}

// The first child of the window's accessible object with that role and name.
AtkObject* FindChild(AtkObject* pParent, AtkRole eRole, const char* pszName) {
    for (int i = 0; i < atk_object_get_n_accessible_children(pParent); ++i) {
        AtkObject* pChild = atk_object_ref_accessible_child(pParent, i);
        if (!pChild)
            continue;
        const char* pszChild = atk_object_get_name(pChild);
        if (atk_object_get_role(pChild) == eRole && pszChild && std::string(pszChild) == pszName)
            return pChild;  // the caller's reference
        g_object_unref(pChild);
    }
    return nullptr;
}

bool HasState(AtkObject* pObj, AtkStateType eState) {
    AtkStateSet* pSet = atk_object_ref_state_set(pObj);
    bool bHas = atk_state_set_contains_state(pSet, eState);
    g_object_unref(pSet);
    return bHas;
}

void CountSignal(gpointer pCounter) {
    ++*static_cast<int*>(pCounter);
}

TEST_F(GtkAccess, AtkSeesEveryControlWithItsStatesValueTextAndAction) {
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    AtkObject* pWindow = gtk_widget_get_accessible(NativeWidget(wnd));
    EXPECT_STREQ(atk_object_get_name(pWindow), "");  // the bare layout has no title
    ASSERT_EQ(atk_object_get_n_accessible_children(pWindow), 1);
    AtkObject* pCanvas = atk_object_ref_accessible_child(pWindow, 0);
    ASSERT_NE(pCanvas, nullptr);
    EXPECT_EQ(atk_object_get_n_accessible_children(pCanvas),
              static_cast<int>(wnd.GetAccessibleNodes().size()));

    AtkObject* pInstall = FindChild(pCanvas, ATK_ROLE_PUSH_BUTTON, "Install");
    ASSERT_NE(pInstall, nullptr);
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_SHOWING));
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_ENABLED));
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_FOCUSABLE));
    EXPECT_EQ(atk_object_get_parent(pInstall), pCanvas);
    EXPECT_GE(atk_object_get_index_in_parent(pInstall), 0);
    int x = 0, y = 0, cx = 0, cy = 0;
    atk_component_get_extents(ATK_COMPONENT(pInstall), &x, &y, &cx, &cy, ATK_XY_SCREEN);
    int nLeft = 0, nTop = 0;
    gtkhosttest::ScreenPos(wnd, nLeft, nTop);
    const CRect& rcInstall = wnd.FindChildByName(L"btn_installer")->GetWindowRect();
    EXPECT_EQ(x, nLeft + rcInstall.left);
    EXPECT_EQ(y, nTop + rcInstall.top);
    EXPECT_EQ(cx, rcInstall.Width());
    EXPECT_FALSE(ATK_IS_VALUE(pInstall)) << "a button has no value";

    // The folder field is GTK's own entry, named by its tip.
    AtkObject* pField = FindChild(pCanvas, ATK_ROLE_TEXT, "Install folder");
    ASSERT_NE(pField, nullptr);
    g_object_unref(pField);

    // A label's text by word.
    AtkObject* pLabel = FindChild(pCanvas, ATK_ROLE_LABEL, "Tovadoc to WORD converter");
    ASSERT_NE(pLabel, nullptr);
    ASSERT_TRUE(ATK_IS_TEXT(pLabel));
    gint nStart = 0, nEnd = 0;
    gchar* pszWord = atk_text_get_string_at_offset(ATK_TEXT(pLabel), 9, ATK_TEXT_GRANULARITY_WORD,
                                                   &nStart, &nEnd);
    EXPECT_STREQ(pszWord, "to ");
    EXPECT_EQ(nStart, 8);
    g_free(pszWord);
    g_object_unref(pLabel);

    // The check box's action toggles it, and listeners hear the change.
    AtkObject* pAgree = FindChild(pCanvas, ATK_ROLE_CHECK_BOX, "Have read and");
    ASSERT_NE(pAgree, nullptr);
    int nStateChanges = 0;
    g_signal_connect_swapped(pAgree, "state-change::checked", G_CALLBACK(CountSignal),
                             &nStateChanges);
    bool bWasChecked = HasState(pAgree, ATK_STATE_CHECKED);
    ASSERT_EQ(atk_action_get_n_actions(ATK_ACTION(pAgree)), 1);
    EXPECT_STREQ(atk_action_get_name(ATK_ACTION(pAgree), 0), "click");
    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(pAgree), 0));
    ASSERT_TRUE(WaitFor([&] { return nStateChanges > 0; }));
    EXPECT_NE(HasState(pAgree, ATK_STATE_CHECKED), bWasChecked);
    EXPECT_NE(wnd.FindChildByName2<SCheckBox>(L"agree")->IsChecked(), bWasChecked);
    EXPECT_EQ(wnd.m_commands.back(), L"agree");

    // Focus from assistive technology.
    int nFocusChanges = 0;
    g_signal_connect_swapped(pInstall, "state-change::focused", G_CALLBACK(CountSignal),
                             &nFocusChanges);
    EXPECT_TRUE(atk_component_grab_focus(ATK_COMPONENT(pInstall)));
    ASSERT_TRUE(WaitFor([&] { return nFocusChanges > 0; }));
    EXPECT_EQ(wnd.GetFocus(), wnd.FindChildByName(L"btn_installer"));
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_FOCUSED));

    // The bar's value, announced when it moves; the bar is there while its
    // page shows, and the page that goes takes its controls out.
    wnd.FindChildByName2<STabCtrl>(L"tab_main")->SetCurSel(1);
    AtkObject* pBar = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (int i = 0; !pBar && i < atk_object_get_n_accessible_children(pCanvas); ++i) {
            AtkObject* p = atk_object_ref_accessible_child(pCanvas, i);
            if (atk_object_get_role(p) == ATK_ROLE_PROGRESS_BAR)
                pBar = p;
            else
                g_object_unref(p);
        }
        return pBar != nullptr;
    }));
    ASSERT_TRUE(ATK_IS_VALUE(pBar));
    EXPECT_TRUE(HasState(pBar, ATK_STATE_SHOWING));
    EXPECT_STREQ(atk_object_get_name(pBar), "Installation progress");
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_DEFUNCT)) << "page 0 left the tree";
    int nValueChanges = 0;
    g_signal_connect_swapped(pBar, "property-change::accessible-value", G_CALLBACK(CountSignal),
                             &nValueChanges);
    auto* pProgress = wnd.FindChildByName2<SProgress>(L"pro_install");
    pProgress->SetValue(37);
    ASSERT_TRUE(WaitFor([&] { return nValueChanges > 0; }));
    gdouble dValue = 0;
    atk_value_get_value_and_text(ATK_VALUE(pBar), &dValue, nullptr);
    EXPECT_EQ(dValue, 37);
    AtkRange* pRange = atk_value_get_range(ATK_VALUE(pBar));
    EXPECT_EQ(atk_range_get_lower_limit(pRange), 0);
    EXPECT_EQ(atk_range_get_upper_limit(pRange), 100);
    atk_range_free(pRange);
    // The last step and a page switch in one turn: 100 is heard at once,
    // before the bar leaves with its page.
    const int nBefore = nValueChanges;
    pProgress->SetValue(100);
    wnd.FindChildByName2<STabCtrl>(L"tab_main")->SetCurSel(2);
    EXPECT_EQ(nValueChanges, nBefore + 1);
    atk_value_get_value_and_text(ATK_VALUE(pBar), &dValue, nullptr);
    EXPECT_EQ(dValue, 100);

    // Gone with the window: what clients still hold turns defunct.
    wnd.DestroyWindow();
    ASSERT_TRUE(WaitFor([&] { return !wnd.IsWindow(); }));
    EXPECT_TRUE(HasState(pInstall, ATK_STATE_DEFUNCT));
    EXPECT_FALSE(atk_action_do_action(ATK_ACTION(pAgree), 0));
    for (AtkObject* p : {pInstall, pAgree, pBar, pCanvas})
        g_object_unref(p);
}

TEST_F(GtkAccess, DialogsAreDialogsNamedByTheirTranslatedTitle) {
    SHostDialog dlg(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(dlg, kLeft, kTop));
    AtkObject* pWindow = gtk_widget_get_accessible(NativeWidget(dlg));
    EXPECT_EQ(atk_object_get_role(pWindow), ATK_ROLE_DIALOG);
    EXPECT_STREQ(atk_object_get_name(pWindow), "Notice");
    AtkObject* pCanvas = atk_object_ref_accessible_child(pWindow, 0);
    ASSERT_NE(pCanvas, nullptr);
    AtkObject* pOk = FindChild(pCanvas, ATK_ROLE_PUSH_BUTTON, "OK");
    ASSERT_NE(pOk, nullptr);
    EXPECT_TRUE(HasState(pOk, ATK_STATE_DEFAULT));
    g_object_unref(pOk);
    g_object_unref(pCanvas);
}

// The text of the tool tip GTK shows now; empty when none shows.
std::string ShownToolTip() {
    std::string strText;
    GList* pList = gtk_window_list_toplevels();
    for (GList* p = pList; p; p = p->next) {
        GtkWidget* pWidget = GTK_WIDGET(p->data);
        if (!gtk_widget_get_mapped(pWidget) ||
            std::string(G_OBJECT_TYPE_NAME(pWidget)) != "GtkTooltipWindow")
            continue;
        std::function<void(GtkWidget*)> visit = [&](GtkWidget* pChild) {
            if (GTK_IS_LABEL(pChild) && gtk_widget_get_mapped(pChild))
                strText = gtk_label_get_text(GTK_LABEL(pChild));
            else if (GTK_IS_CONTAINER(pChild))
                gtk_container_foreach(
                    GTK_CONTAINER(pChild),
                    [](GtkWidget* w, gpointer fn) {
                        (*static_cast<std::function<void(GtkWidget*)>*>(fn))(w);
                    },
                    &visit);
        };
        visit(pWidget);
    }
    g_list_free(pList);
    return strText;
}

TEST_F(GtkAccess, ToolTipShowsAfterHoverAndGoesOnLeaveAndPress) {
    CRecordingWnd wnd(L"LAYOUT:XML_PROTOCOLDLG_WND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    int x = 0, y = 0;
    ASSERT_TRUE(gtkhosttest::ControlCentreById(wnd, IDCANCEL, x, y));
    ASSERT_TRUE(XDoTool({"mousemove", Num(x), Num(y)}));
    ASSERT_TRUE(WaitFor([] { return ShownToolTip() == "Close"; }));
    // Onto the licence text, which has no tip: it goes.
    ASSERT_TRUE(XDoTool({"mousemove", Num(kLeft + 300), Num(kTop + 200)}));
    ASSERT_TRUE(WaitFor([] { return ShownToolTip().empty(); }));
    // Back, then a press: it goes too.
    ASSERT_TRUE(XDoTool({"mousemove", Num(x), Num(y)}));
    ASSERT_TRUE(WaitFor([] { return ShownToolTip() == "Close"; }));
    // A button left down would spoil every later test on the display.
    struct ReleaseOnExit {
        ~ReleaseOnExit() { XDoTool({"mouseup", "1"}); }
    } release;
    ASSERT_TRUE(XDoTool({"mousedown", "1"}));
    ASSERT_TRUE(WaitFor([] { return ShownToolTip().empty(); }));
    ASSERT_TRUE(XDoTool({"mouseup", "1"}));
    ASSERT_TRUE(WaitFor([&] { return !wnd.m_commands.empty(); }));
    // Not while the pointer stays on what it pressed.
    ASSERT_TRUE(XDoTool({"mousemove", Num(x + 1), Num(y)}));
    WaitFor([] { return false; }, 800);
    EXPECT_EQ(ShownToolTip(), "");
}

}  // namespace
