// The real installer on screens of other scales and sizes (Xvfb of the
// test's own).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "DesktopSession.h"
#include "InstallerRun.h"
#include "support/EdgeProbe.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace desktoptest;

namespace {

class InstallerScreens : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/Xvfb") || !fs::exists("/usr/bin/xdotool"))
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/install-deps.sh)";
    }
    bool Start(const CXvfb& x, testsupport::EnvChanges env) {
        env.emplace_back("DISPLAY", x.Display());
        env.emplace_back("WAYLAND_DISPLAY", std::nullopt);
        env.emplace_back("GDK_BACKEND", "x11");
        return m_folder.Start(m_program, InstallerEnv(m_tmp / "registry", env), m_log);
    }
    std::string Log() const { return testsupport::ReadFile(m_log); }

    testsupport::TempDir m_tmp;
    CInstallerFolder m_folder{m_tmp / "installer", InstallIni(nullptr)};
    fs::path m_log = m_tmp / "installer.log";
    testsupport::CChildProcess m_program;
};

// The logo's document sheet on page 0 (window units): its left edge crossed
// along row 131, its top edge along column 398.
std::vector<uint32_t> LogoEdge(cairo_surface_t* pScreen, const WindowBox& box, int nScale,
                               bool bVertical) {
    std::vector<uint32_t> line;
    for (int i = 0; i < 10 * nScale; ++i) {
        int x = bVertical ? 398 * nScale : 378 * nScale + i;
        int y = bVertical ? 96 * nScale + i : 131 * nScale;
        line.push_back(RgbAt(pScreen, box.x + x, box.y + y));
    }
    return line;
}

TEST_F(InstallerScreens, AtScaleTwoTheArtworkIsAsSharpAsAtScaleOne) {
    CXvfb x;
    ASSERT_TRUE(x.Start(1920, 1200, m_tmp / "xvfb.log"));
    struct Case {
        int nScale;
        const char* pszDpiScale;  // text only: the artwork must not change
    } cases[] = {{1, nullptr}, {2, nullptr}, {2, "0.75"}};
    for (const Case& c : cases) {
        testsupport::EnvChanges env = {{"GDK_SCALE", std::to_string(c.nScale)}};
        if (c.pszDpiScale)
            env.emplace_back("GDK_DPI_SCALE", c.pszDpiScale);
        ASSERT_TRUE(Start(x, env));
        std::string strId;
        WindowBox box;
        ASSERT_TRUE(FindWindow(x, kTitle, strId, box)) << Log();
        EXPECT_EQ(box.cx, kWindowWidth * c.nScale);
        EXPECT_EQ(box.cy, kWindowHeight * c.nScale);
        // Drawn once the blue tile and the white sheet are both there.
        std::vector<uint32_t> edges[2];
        for (int i = 0; i < 100; ++i) {
            cairo_surface_t* pScreen = x.Screenshot(m_tmp.path());
            ASSERT_NE(pScreen, nullptr);
            edges[0] = LogoEdge(pScreen, box, c.nScale, false);
            edges[1] = LogoEdge(pScreen, box, c.nScale, true);
            cairo_surface_destroy(pScreen);
            if (edges[0].front() != edges[0].back() && edges[1].back() == 0xffffff)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        for (const auto& line : edges) {
            EXPECT_NE(line.front(), line.back()) << "scale " << c.nScale;
            // Every screen pixel from the artwork made for this scale: no
            // enlarged pixels blur the edge.
            EXPECT_EQ(testsupport::SoftEdgeWidth(line), 0)
                << "scale " << c.nScale << " dpi " << (c.pszDpiScale ? c.pszDpiScale : "-");
        }
        m_program.Kill();
    }
}

TEST_F(InstallerScreens, OnASmallScreenCaptionAndCloseButtonStayInView) {
    // 806 x 488 at scale 2 is larger than a 1280 x 720 screen.
    CXvfb x;
    ASSERT_TRUE(x.Start(1280, 720, m_tmp / "xvfb.log"));
    ASSERT_TRUE(Start(x, {{"GDK_SCALE", "2"}}));
    std::string strId;
    WindowBox box;
    ASSERT_TRUE(FindWindow(x, kTitle, strId, box)) << Log();
    const int nScale = box.cx / kWindowWidth;
    EXPECT_GE(box.x, 0);
    EXPECT_GE(box.y, 0);
    EXPECT_LE(box.x + box.cx, 1280);
    EXPECT_LE(box.y + box.cy, 720);
    EXPECT_NE(Log().find("does not fit"), std::string::npos) << Log();

    // Still moved by its caption.
    auto at = [&](WindowPoint pt, int dx = 0, int dy = 0) {
        return std::to_string(box.x + pt.x * nScale + dx) + " " +
               std::to_string(box.y + pt.y * nScale + dy);
    };
    x.XDoTool("mousemove " + at(kCaptionSpot) + " mousedown 1 mousemove " +
              at(kCaptionSpot, 20, 15) + " sleep 0.1 mousemove " + at(kCaptionSpot, 40, 30) +
              " sleep 0.1 mouseup 1");
    WindowBox moved;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(FindWindow(x, kTitle, strId, moved)) << Log();
        if (moved.x != box.x)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(moved.x, box.x + 40);
    EXPECT_EQ(moved.y, box.y + 30);

    // The close button is on the screen and ends the program.
    box = moved;
    x.XDoTool("mousemove " + at(kCloseButton) + " sleep 0.2 click 1");
    EXPECT_EQ(m_program.Wait(30000), 0) << Log();
}

}  // namespace
