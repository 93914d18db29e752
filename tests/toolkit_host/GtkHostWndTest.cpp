#include <gtest/gtest.h>

#include <string>

#include "LayoutWindows.h"
#include "XTestHelpers.h"
#include "toolkit/control/SEdit.h"
#include "toolkit/core/EventArgs.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/host/CGtkHostBackend.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"

using namespace SOUI;
using gtkhosttest::CRecordingWnd;
using gtkhosttest::Num;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

constexpr int kLeft = 120;
constexpr int kTop = 90;

class GtkHostWnd : public gtkhosttest::RealWindowTest {
protected:
    void Start(PreviewLang lang) {
        m_pEnv = gtkhosttest::MakeEnv(lang);
        ASSERT_NE(m_pEnv, nullptr) << "toolkit modules or resources missing";
    }

    std::unique_ptr<CPreviewEnv> m_pEnv;
};

// Composites an off-screen pixel over the white backdrop a non-composited screen shows.
uint32_t OverWhite(cairo_surface_t* pSurface, int x, int y) {
    const unsigned char* pRow =
        cairo_image_surface_get_data(pSurface) + y * cairo_image_surface_get_stride(pSurface);
    uint32_t argb = reinterpret_cast<const uint32_t*>(pRow)[x];
    uint32_t a = argb >> 24;
    uint32_t r = ((argb >> 16) & 0xFF) + 255 - a;
    uint32_t g = ((argb >> 8) & 0xFF) + 255 - a;
    uint32_t b = (argb & 0xFF) + 255 - a;
    return (r << 16) | (g << 8) | b;
}

bool Near(uint32_t a, uint32_t b, int nTolerance) {
    for (int nShift : {0, 8, 16}) {
        int d = static_cast<int>((a >> nShift) & 0xFF) - static_cast<int>((b >> nShift) & 0xFF);
        if (d > nTolerance || d < -nTolerance)
            return false;
    }
    return true;
}

void ExpectScreenMatchesOffscreen(PreviewLang lang) {
    auto pEnv = gtkhosttest::MakeEnv(lang);
    ASSERT_NE(pEnv, nullptr);
    SetHostBackendFactory({});
    auto pOffscreen = std::make_unique<SHostWnd>(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(pOffscreen->Create());
    pOffscreen->ShowWindow(SW_SHOWNORMAL);
    ASSERT_NE(pOffscreen->GetOffscreen(), nullptr);
    cairo_surface_t* pRendered = pOffscreen->GetOffscreen()->GetSurface();
    ASSERT_NE(pRendered, nullptr);
    cairo_surface_flush(pRendered);
    // Kept apart from the window, which goes before the real one comes.
    cairo_surface_t* pSurface = cairo_surface_map_to_image(pRendered, nullptr);
    cairo_surface_t* pCopy =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(pSurface),
                                   cairo_image_surface_get_height(pSurface));
    cairo_t* crCopy = cairo_create(pCopy);
    cairo_set_operator(crCopy, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(crCopy, pSurface, 0, 0);
    cairo_paint(crCopy);
    cairo_destroy(crCopy);
    cairo_surface_unmap_image(pRendered, pSurface);
    pOffscreen.reset();
    pSurface = pCopy;
    cairo_surface_flush(pSurface);
    int nWidth = cairo_image_surface_get_width(pSurface);
    int nHeight = cairo_image_surface_get_height(pSurface);

    SHostWnd onscreen(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(onscreen, kLeft, kTop));
    // The native entry draws its own text over the edit's rectangle.
    CRect rcEdit = onscreen.FindChildByName(L"edit_path")->GetWindowRect();
    struct Probe {
        int x, y;
    };
    std::vector<Probe> probes;
    for (int y = 2; y < nHeight; y += 17)
        for (int x = 2; x < nWidth; x += 19)
            if (!rcEdit.PtInRect(CPoint(x, y)))
                probes.push_back({x, y});
    auto fnMismatch = [&](std::string* pReport) {
        int nBad = 0;
        gtkhosttest::ScreenGrab grab(kLeft, kTop, nWidth, nHeight);
        for (const auto& p : probes) {
            uint32_t nScreen = grab.Pixel(p.x, p.y);
            uint32_t nModel = OverWhite(pSurface, p.x, p.y);
            if (!Near(nScreen, nModel, 2)) {
                if (pReport && nBad < 10)
                    *pReport += "(" + Num(p.x) + "," + Num(p.y) + ") screen " +
                                Num(static_cast<int>(nScreen)) + " model " +
                                Num(static_cast<int>(nModel)) + "; ";
                ++nBad;
            }
        }
        return nBad;
    };
    WaitFor([&] { return fnMismatch(nullptr) == 0; });
    std::string strReport;
    EXPECT_EQ(fnMismatch(&strReport), 0) << "of " << probes.size() << " probes: " << strReport;
    onscreen.DestroyWindow();
    cairo_surface_destroy(pSurface);
}

TEST_F(GtkHostWnd, MainWindowOnScreenLooksLikeTheOffscreenRenderInChinese) {
    ExpectScreenMatchesOffscreen(PreviewLang::Chinese);
}

TEST_F(GtkHostWnd, MainWindowOnScreenLooksLikeTheOffscreenRenderInEnglish) {
    ExpectScreenMatchesOffscreen(PreviewLang::English);
}

TEST_F(GtkHostWnd, TakesTheLayoutsSizeIconsAndTitle) {
    Start(PreviewLang::English);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    GtkWidget* pNative =
        dynamic_cast<CGtkHostBackend*>(wnd.GetBackend())->GetNativeWindow().GetWidget();
    EXPECT_EQ(gtk_widget_get_allocated_width(pNative), 806);
    EXPECT_EQ(gtk_widget_get_allocated_height(pNative), 488);
    EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(pNative)));
    GList* pIcons = gtk_window_get_icon_list(GTK_WINDOW(pNative));
    std::vector<int> sizes;
    for (GList* p = pIcons; p; p = p->next)
        sizes.push_back(gdk_pixbuf_get_width(GDK_PIXBUF(p->data)));
    g_list_free(pIcons);
    // The whole icon set, so docks and switchers draw it sharp at any size.
    EXPECT_EQ(sizes, (std::vector<int>{256, 64, 48, 32, 24, 16}));
    wnd.SetWindowTextW(L"Tovadoc 安装");
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(pNative)), "Tovadoc 安装");
}

TEST_F(GtkHostWnd, AClickOnAButtonFiresItsCommandWithItsName) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    int x = 0, y = 0;
    ASSERT_TRUE(gtkhosttest::ControlCentre(wnd, L"btn_installer", x, y));
    ASSERT_TRUE(XDoTool({"mousemove", Num(x), Num(y)}));
    // Hover first: the hand cursor is set where the layout asks for it.
    ASSERT_TRUE(WaitFor([&] { return wnd.GetHover() == wnd.FindChildByName(L"btn_installer"); }));
    GtkWidget* pNative =
        dynamic_cast<CGtkHostBackend*>(wnd.GetBackend())->GetNativeWindow().GetWidget();
    EXPECT_NE(gdk_window_get_cursor(gtk_widget_get_window(pNative)), nullptr) << "no hand cursor";
    ASSERT_TRUE(XDoTool({"click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return !wnd.m_commands.empty(); }));
    EXPECT_EQ(wnd.m_commands.front(), L"btn_installer");
    EXPECT_EQ(wnd.m_commands.size(), 1u);
}

TEST_F(GtkHostWnd, TypingIntoTheEditChangesTheModelsText) {
    Start(PreviewLang::English);
    CRecordingWnd shown(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(shown, kLeft, kTop));
    auto* pEdit = shown.FindChildByName2<SEdit>(L"edit_path");
    ASSERT_NE(pEdit, nullptr);
    pEdit->SetWindowText(L"/opt");
    int x = 0, y = 0;
    ASSERT_TRUE(gtkhosttest::ControlCentre(shown, L"edit_path", x, y));
    ASSERT_TRUE(XDoTool({"mousemove", Num(x), Num(y), "click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return shown.GetFocus() == pEdit; }));
    ASSERT_TRUE(XDoTool({"key", "End"}));
    ASSERT_TRUE(XDoTool({"type", "/Tovadoc"}));
    EXPECT_TRUE(WaitFor([&] { return pEdit->GetWindowText() == L"/opt/Tovadoc"; }))
        << "the model holds "
        << std::string(pEdit->GetWindowText().begin(), pEdit->GetWindowText().end());
}

TEST_F(GtkHostWnd, TimersTickAsWmTimerUntilKilled) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    ASSERT_TRUE(wnd.SetTimer(101, 10));
    ASSERT_TRUE(wnd.SetTimer(102, 30));
    ASSERT_TRUE(WaitFor([&] { return wnd.CountMessages(WM_TIMER, 101) >= 3; }));
    ASSERT_TRUE(WaitFor([&] { return wnd.CountMessages(WM_TIMER, 102) >= 1; }));
    ASSERT_TRUE(wnd.KillTimer(101));
    int nTicks = wnd.CountMessages(WM_TIMER, 101);
    ASSERT_TRUE(WaitFor([&] { return wnd.CountMessages(WM_TIMER, 102) >= 3; }));
    EXPECT_EQ(wnd.CountMessages(WM_TIMER, 101), nTicks);
}

TEST_F(GtkHostWnd, SysCommandsReachTheWindowManager) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    gtkhosttest::RootMessageWatcher watcher;
    wnd.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    long nState = 0;
    unsigned long nXid = gtkhosttest::XidOf(wnd);
    ASSERT_TRUE(WaitFor([&] { return watcher.Received("WM_CHANGE_STATE", nXid, &nState); }));
    EXPECT_EQ(nState, 3);  // IconicState
    wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return watcher.Received("_NET_WM_STATE", nXid, &nState); }));
    EXPECT_EQ(nState, 1);  // add
    wnd.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(WaitFor([&] { return watcher.Received("_NET_WM_STATE", nXid, &nState); }));
    EXPECT_EQ(nState, 0);  // remove
}

TEST_F(GtkHostWnd, DraggingThePassiveAreaMovesTheWindow) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    // Beside the logo: part of the caption, no control of its own.
    int x = kLeft + 150, y = kTop + 100;
    ASSERT_TRUE(XDoTool({"mousemove", Num(x), Num(y), "mousedown", "1"}));
    ASSERT_TRUE(XDoTool({"mousemove", Num(x + 30), Num(y + 20)}));
    ASSERT_TRUE(XDoTool({"mousemove", Num(x + 60), Num(y + 40), "mouseup", "1"}));
    int nX = 0, nY = 0;
    EXPECT_TRUE(WaitFor([&] {
        gtkhosttest::ScreenPos(wnd, nX, nY);
        return nX == kLeft + 60 && nY == kTop + 40;
    })) << "window at "
        << nX << "," << nY;
    EXPECT_TRUE(wnd.m_commands.empty());
}

TEST_F(GtkHostWnd, WindowManagerCloseArrivesAsWmCloseAndEndsTheMainLoop) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    unsigned long nXid = gtkhosttest::XidOf(wnd);
    g_idle_add(
        [](gpointer p) -> gboolean {
            gtkhosttest::SendDeleteWindow(*static_cast<unsigned long*>(p));
            return G_SOURCE_REMOVE;
        },
        &nXid);
    // The layout makes this the application's main window: its end ends Run.
    bool bReturned = false;
    guint nGuard = g_timeout_add_seconds(
        30,
        [](gpointer) -> gboolean {
            SApplication::getSingletonPtr()->Quit(-99);
            return G_SOURCE_REMOVE;
        },
        nullptr);
    int nCode = m_pEnv->GetApp()->Run(nullptr);
    bReturned = nCode != -99;
    if (bReturned)
        g_source_remove(nGuard);
    EXPECT_TRUE(bReturned) << "the loop did not end with the window";
    EXPECT_EQ(wnd.CountMessages(WM_CLOSE, 0), 1);
    EXPECT_EQ(wnd.CountMessages(WM_DESTROY, 0), 1);
    EXPECT_FALSE(wnd.IsWindow());
}

TEST_F(GtkHostWnd, TabMovesTheFocusAndSpacePressesTheFocusedButton) {
    Start(PreviewLang::Chinese);
    CRecordingWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(gtkhosttest::ShowOnScreen(wnd, kLeft, kTop));
    SWindow* pInstall = wnd.FindChildByName(L"btn_installer");
    ASSERT_NE(pInstall, nullptr);
    // The pointer over the window gives it the keyboard without a window manager.
    ASSERT_TRUE(XDoTool({"mousemove", Num(kLeft + 400), Num(kTop + 470)}));
    GtkWidget* pNative =
        dynamic_cast<CGtkHostBackend*>(wnd.GetBackend())->GetNativeWindow().GetWidget();
    ASSERT_TRUE(WaitFor([&] { return gtk_window_has_toplevel_focus(GTK_WINDOW(pNative)); }));
    WaitFor([] { return false; }, 100);  // the focus change settles
    auto fnPress = [&](const char* pszKey) {
        size_t nKeys = wnd.m_keys.size();
        return XDoTool({"key", pszKey}) && WaitFor([&] { return wnd.m_keys.size() > nKeys; });
    };
    for (int i = 0; i < 12 && wnd.GetFocus() != pInstall; ++i)
        ASSERT_TRUE(fnPress("Tab"));
    ASSERT_EQ(wnd.GetFocus(), pInstall);
    ASSERT_TRUE(XDoTool({"key", "space"}));
    ASSERT_TRUE(WaitFor([&] { return !wnd.m_commands.empty(); }));
    EXPECT_EQ(wnd.m_commands.back(), L"btn_installer");
    // Shift+Tab goes back to where it came from.
    ASSERT_TRUE(fnPress("Tab"));
    EXPECT_NE(wnd.GetFocus(), pInstall);
    ASSERT_TRUE(fnPress("shift+Tab"));
    EXPECT_EQ(wnd.GetFocus(), pInstall);
}

}  // namespace
