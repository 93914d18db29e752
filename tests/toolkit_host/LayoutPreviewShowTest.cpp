#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>

#include <string>

#include "XTestHelpers.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace {

const std::string kPreview = std::string(GTKHOST_BIN_DIR) + "/layout-preview";

// The preview tool's --show: a real window that lives until it is closed.
TEST(LayoutPreviewShow, OpensTheRealWindowUntilTheWindowManagerClosesIt) {
    std::string strReason;
    if (!gtkhosttest::OpenDisplayOrSkipReason(strReason))
        GTEST_SKIP() << strReason;
    char* argv[] = {const_cast<char*>(kPreview.c_str()), const_cast<char*>("LAYOUT:XML_MSGBOX_DLG"),
                    const_cast<char*>("--lang"),         const_cast<char*>("en"),
                    const_cast<char*>("--show"),         nullptr};
    // What is judged is how the program ends; the display stack's own leaks
    // and unseen locks in a sanitizer build are not its doing.
    gchar** envp = g_get_environ();
    envp = g_environ_setenv(envp, "ASAN_OPTIONS", "detect_leaks=0", TRUE);
    envp = g_environ_setenv(envp, "TSAN_OPTIONS", "suppressions=" GTKHOST_TSAN_SUPP, TRUE);
    GPid nPid = 0;
    bool bSpawned = g_spawn_async(nullptr, argv, envp, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                  &nPid, nullptr);
    g_strfreev(envp);
    ASSERT_TRUE(bSpawned);
    // Find its window by process, as a window manager would.
    std::string strPid = std::to_string(nPid);
    char* argvSearch[] = {const_cast<char*>("timeout"),
                          const_cast<char*>("30"),
                          const_cast<char*>("xdotool"),
                          const_cast<char*>("search"),
                          const_cast<char*>("--sync"),
                          const_cast<char*>("--onlyvisible"),
                          const_cast<char*>("--pid"),
                          strPid.data(),
                          nullptr};
    char* pszOut = nullptr;
    gint nStatus = -1;
    bool bFound = g_spawn_sync(nullptr, argvSearch, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                               &pszOut, nullptr, &nStatus, nullptr) &&
                  g_spawn_check_wait_status(nStatus, nullptr);
    unsigned long nXid = pszOut ? std::strtoul(pszOut, nullptr, 10) : 0;
    g_free(pszOut);
    if (bFound && nXid)
        gtkhosttest::SendDeleteWindow(nXid);
    else
        kill(nPid, SIGTERM);
    int nExit = -1;
    bool bEnded = SOUI::RunLoopUntil(
        [&] {
            int nWait = 0;
            if (waitpid(nPid, &nWait, WNOHANG) != nPid)
                return false;
            nExit = WIFEXITED(nWait) ? WEXITSTATUS(nWait) : 128 + WTERMSIG(nWait);
            return true;
        },
        30000);
    if (!bEnded) {
        kill(nPid, SIGKILL);
        waitpid(nPid, nullptr, 0);
    }
    g_spawn_close_pid(nPid);
    ASSERT_TRUE(bFound && nXid) << "no window of the preview appeared";
    ASSERT_TRUE(bEnded) << "the preview did not end when its window was closed";
    EXPECT_EQ(nExit, 0);
}

TEST(LayoutPreviewShow, WithoutADisplayItSaysSoAndFails) {
    std::string strCommand =
        "env -u WAYLAND_DISPLAY -u DISPLAY '" + kPreview + "' LAYOUT:XML_MAINWND --show 2>&1";
    FILE* pPipe = popen(strCommand.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    std::string strOut;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, pPipe))
        strOut.append(buf, n);
    int nStatus = pclose(pPipe);
    ASSERT_TRUE(WIFEXITED(nStatus)) << strOut;
    EXPECT_NE(WEXITSTATUS(nStatus), 0);
    EXPECT_NE(strOut.find("display"), std::string::npos) << strOut;
}

}  // namespace
