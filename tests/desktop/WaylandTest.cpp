// The real installer on a Wayland compositor (weston, headless) through
// GTK's Wayland backend: a whole installation against the demo server.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <thread>

#include "DesktopSession.h"
#include "InstallerRun.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace desktoptest;

namespace {

TEST(InstallerWayland, WholeInstallationOnAHeadlessCompositor) {
    if (!fs::exists("/usr/bin/weston"))
        GTEST_SKIP() << "needs weston (scripts/install-deps.sh)";
    testsupport::TempDir tmp;
    fs::create_directories(tmp / "runtime");
    CWeston weston;
    ASSERT_TRUE(weston.Start(tmp / "runtime", tmp / "weston.log"))
        << testsupport::ReadFile(tmp / "weston.log");
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(tmp.path())) << server.Log();
    CInstallerFolder folder(tmp / "installer", InstallIni(&server));
    fs::create_directories(tmp / "Programs");

    // Clicks from inside the program (no input device can be scripted from
    // outside a headless compositor): the folder typed in, the licence
    // opened in its modal dialog and closed, Install, then the start button
    // of the last page until the program ends.
    auto pt = [](WindowPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
    testsupport::CChildProcess program;
    const fs::path log = tmp / "installer.log";
    ASSERT_TRUE(folder.Start(
        program,
        InstallerEnv(tmp / "registry",
                     {{"DISPLAY", std::nullopt},
                      {"GDK_BACKEND", "wayland"},
                      {"WAYLAND_DISPLAY", weston.Socket()},
                      {"XDG_RUNTIME_DIR", (tmp / "runtime").string()},
                      {"GTK_MODULES", (BinDir() / "tovadoc-test-clicker.so").string()},
                      {"TOVADOC_TEST_TYPE", (tmp / "Programs").string()},
                      {"TOVADOC_TEST_CLICKS", pt(kLicenceLink) + " " + pt(kLicenceClose) + " " +
                                                  pt(kInstallButton) + " " + pt(kStartButton)}}),
        log));
    EXPECT_EQ(program.Wait(120000), 0) << testsupport::ReadFile(log);
    const std::string strLog = testsupport::ReadFile(log);
    EXPECT_NE(strLog.find("clicker: window mapped 806x488"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("clicker: window mapped 660x350"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("clicker: clicking 630,20 in the dialog"), std::string::npos) << strLog;
    // Nothing went through X11.
    EXPECT_EQ(strLog.find("cannot open display"), std::string::npos) << strLog;
    const fs::path product = tmp / "Programs" / "Tovadoc";
    EXPECT_TRUE(fs::exists(product / "Tovadoc.exe")) << strLog;
    EXPECT_NE(testsupport::ReadFile(product / "user.ini").find("desktop-test"), std::string::npos);
    // The start button started the product, which does not wait for it.
    for (int i = 0; i < 100 && !fs::exists(product / "Tovadoc.log"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(fs::exists(product / "Tovadoc.log")) << strLog;
}

}  // namespace
