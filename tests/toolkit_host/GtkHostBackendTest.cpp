#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "RecordingSink.h"
#include "XTestHelpers.h"
#include "support/StderrCapture.h"
#include "toolkit/host/CGtkHostBackend.h"
#include "toolkit/host/SGtkEdit.h"

using namespace SOUI;
using gtkhosttest::RecordingSink;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

constexpr int kLeft = 300;
constexpr int kTop = 200;

class GtkHostBackend : public testing::Test {
protected:
    void SetUp() override {
        std::string strReason;
        if (!gtkhosttest::OpenDisplayOrSkipReason(strReason))
            GTEST_SKIP() << strReason;
    }

    // A shown window of the sink's size at a known place on the screen.
    void ShowAt(CGtkHostBackend& backend, RecordingSink& sink, int x, int y,
                IHostBackend* pOwner = nullptr) {
        HostWindowParams params;
        params.nWidth = sink.m_nWidth;
        params.nHeight = sink.m_nHeight;
        params.strTitle = L"窗口 test";
        params.bTranslucent = true;
        ASSERT_TRUE(backend.Create(&sink, params, pOwner));
        backend.GetNativeWindow().Move(x, y);
        backend.Show(true);
        ASSERT_TRUE(WaitFor([&] { return sink.m_nPaints > 0; }));
        // The drawn pixels reach the server after the paint.
        ASSERT_TRUE(WaitFor([&] { return gtkhosttest::ScreenPixel(x + 20, y + 20) == 0xFF0000; }));
    }

    std::string Coord(int n) { return std::to_string(n); }
};

TEST_F(GtkHostBackend, DrawsTheSinkAndRepaintsOnlyInvalidatedAreas) {
    RecordingSink sink;
    CGtkHostBackend backend;
    ShowAt(backend, sink, kLeft, kTop);
    EXPECT_EQ(gtkhosttest::ScreenPixel(kLeft + 20, kTop + 20), 0xFF0000u);
    EXPECT_EQ(gtkhosttest::ScreenPixel(kLeft + 180, kTop + 130), 0x0000FFu);
    // No compositor under Xvfb: the translucent margin sits on the opaque
    // white backdrop (25% black over white).
    EXPECT_FALSE(backend.GetNativeWindow().HasAlpha());
    uint32_t nMargin = gtkhosttest::ScreenPixel(kLeft + 3, kTop + 3);
    EXPECT_NEAR(static_cast<int>(nMargin & 0xFF), 191, 2);
    EXPECT_EQ(nMargin >> 16, nMargin & 0xFF);

    int nPaints = sink.m_nPaints;
    backend.Invalidate(HostRect{40, 50, 60, 70});
    ASSERT_TRUE(WaitFor([&] { return sink.m_nPaints > nPaints; }));
    EXPECT_LE(sink.m_rcLastDirty.left, 40);
    EXPECT_LE(sink.m_rcLastDirty.top, 50);
    EXPECT_GE(sink.m_rcLastDirty.right, 60);
    EXPECT_GE(sink.m_rcLastDirty.bottom, 70);
    EXPECT_LT(sink.m_rcLastDirty.Width() * sink.m_rcLastDirty.Height(), 200 * 150 / 4);
}

TEST_F(GtkHostBackend, PointerPressAndReleaseArriveInWindowCoordinates) {
    RecordingSink sink;
    CGtkHostBackend backend;
    ShowAt(backend, sink, kLeft, kTop);
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 50), Coord(kTop + 60), "click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return sink.HasMouse('u', 1); }));
    ASSERT_TRUE(sink.HasMouse('d', 1));
    for (const auto& m : sink.m_mice) {
        if (m.chKind == 'd' || m.chKind == 'u') {
            EXPECT_EQ(m.x, 50);
            EXPECT_EQ(m.y, 60);
        }
    }
    EXPECT_TRUE(sink.HasMouse('m'));
    ASSERT_TRUE(XDoTool({"click", "4"}));
    ASSERT_TRUE(WaitFor([&] { return sink.HasMouse('w'); }));
    EXPECT_TRUE(sink.HasMouse('w', 120));
    // Leaving the window tells the model so hover states end.
    ASSERT_TRUE(XDoTool({"mousemove", "5", "5"}));
    EXPECT_TRUE(WaitFor([&] { return sink.m_nLeaves > 0; }));
}

TEST_F(GtkHostBackend, CaptionPressMovesTheWindowWithThePointer) {
    RecordingSink sink;
    CGtkHostBackend backend;
    sink.m_onDown = [&](int nButton, int x, int y) {
        if (y < 30)
            backend.BeginMove(nButton, x, y);
    };
    ShowAt(backend, sink, kLeft, kTop);
    // Below the window now; inside its red area once moved by (70, 90).
    ASSERT_NE(gtkhosttest::ScreenPixel(kLeft + 100, kTop + 170), 0xFF0000u);
    // Without a window manager GTK moves the window itself.
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 100), Coord(kTop + 15), "mousedown", "1"}));
    ASSERT_TRUE(WaitFor([&] { return sink.HasMouse('d', 1); }));
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 160), Coord(kTop + 95)}));
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 170), Coord(kTop + 105), "mouseup", "1"}));
    EXPECT_TRUE(WaitFor([&] {
        return gtkhosttest::ScreenPixel(kLeft + 100, kTop + 170) == 0xFF0000;
    })) << "the window did not follow the pointer";
}

TEST_F(GtkHostBackend, HandCursorWhereTheModelAsksForIt) {
    RecordingSink sink;
    CGtkHostBackend backend;
    ShowAt(backend, sink, kLeft, kTop);
    GdkWindow* pGdk = gtk_widget_get_window(backend.GetNativeWindow().GetWidget());
    EXPECT_EQ(gdk_window_get_cursor(pGdk), nullptr);
    backend.SetCursor(HostCursor::Hand);
    GdkCursor* pCursor = gdk_window_get_cursor(pGdk);
    ASSERT_NE(pCursor, nullptr);
    backend.SetCursor(HostCursor::Arrow);
    EXPECT_EQ(gdk_window_get_cursor(pGdk), nullptr);
}

TEST_F(GtkHostBackend, WindowManagerCloseIsACloseRequestThatDestroysNothing) {
    RecordingSink sink;
    CGtkHostBackend backend;
    ShowAt(backend, sink, kLeft, kTop);
    gtkhosttest::SendDeleteWindow(backend.GetNativeWindow().GetXid());
    ASSERT_TRUE(WaitFor([&] { return sink.m_nCloseRequests == 1; }));
    EXPECT_TRUE(backend.IsCreated());
    EXPECT_EQ(sink.m_nDestroyed, 0);
    backend.Destroy();
    EXPECT_EQ(sink.m_nDestroyed, 1);
    EXPECT_FALSE(backend.IsCreated());
    backend.Destroy();
    EXPECT_EQ(sink.m_nDestroyed, 1);
}

TEST_F(GtkHostBackend, MinimiseAsksTheWindowManagerToIconify) {
    RecordingSink sink;
    CGtkHostBackend backend;
    ShowAt(backend, sink, kLeft, kTop);
    gtkhosttest::RootMessageWatcher watcher;
    backend.Minimize();
    long nState = 0;
    unsigned long nXid = backend.GetNativeWindow().GetXid();
    ASSERT_TRUE(WaitFor([&] { return watcher.Received("WM_CHANGE_STATE", nXid, &nState); }));
    EXPECT_EQ(nState, 3);  // IconicState
}

TEST_F(GtkHostBackend, CentresOnTheScreenAndOnTheOwner) {
    RecordingSink ownerSink;
    ownerSink.m_nWidth = 400;
    ownerSink.m_nHeight = 300;
    CGtkHostBackend owner;
    ShowAt(owner, ownerSink, 100, 120);
    RecordingSink sink;
    CGtkHostBackend dialog;
    HostWindowParams params;
    params.nWidth = 200;
    params.nHeight = 150;
    ASSERT_TRUE(dialog.Create(&sink, params, &owner));
    dialog.Center(&owner);
    int x = 0, y = 0;
    dialog.GetNativeWindow().GetPosition(x, y);
    EXPECT_EQ(x, 100 + 100);
    EXPECT_EQ(y, 120 + 75);
    dialog.Center(nullptr);
    dialog.GetNativeWindow().GetPosition(x, y);
    EXPECT_EQ(x, (1280 - 200) / 2);
    EXPECT_EQ(y, (1024 - 150) / 2);
}

TEST_F(GtkHostBackend, RejectsImpossibleSizes) {
    RecordingSink sink;
    CGtkHostBackend backend;
    HostWindowParams params;
    params.nWidth = 0;
    params.nHeight = 100;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(backend.Create(&sink, params, nullptr));
    EXPECT_NE(capture.Text().find("CGtkHostBackend::Create"), std::string::npos);
}

TEST(GtkHostStart, WithoutADisplayTheProgramSaysSoAndFails) {
    for (const char* pszDisplay : {"", ":4321"}) {
        std::string strCommand = std::string("env -u WAYLAND_DISPLAY DISPLAY='") + pszDisplay +
                                 "' '" GTKHOST_PROBE "' 2>&1";
        FILE* pPipe = popen(strCommand.c_str(), "r");
        ASSERT_NE(pPipe, nullptr);
        std::string strOut;
        char buf[256];
        while (size_t n = fread(buf, 1, sizeof buf, pPipe))
            strOut.append(buf, n);
        int nStatus = pclose(pPipe);
        ASSERT_TRUE(WIFEXITED(nStatus)) << "the program crashed: " << strOut;
        EXPECT_NE(WEXITSTATUS(nStatus), 0);
        EXPECT_NE(strOut.find("display"), std::string::npos) << strOut;
    }
}

}  // namespace
