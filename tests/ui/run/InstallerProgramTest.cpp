// The real TovadocInstaller program, started in an installer folder of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DemoServerProcess.h"
#include "platform/CFileLock.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

const char* const kProgramFiles[] = {"TovadocInstaller", "render-cairo.so", "imgdecoder-png.so",
                                     "translator.so", "sys-resource.so"};

// Output of a shell command line, trailing newline removed.
std::string Capture(const std::string& strCommand) {
    std::string strOut;
    if (FILE* pPipe = popen(strCommand.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pPipe)) > 0) {
            strOut.append(buf, n);
        }
        pclose(pPipe);
    }
    while (!strOut.empty() && strOut.back() == '\n') {
        strOut.pop_back();
    }
    return strOut;
}

class TovadocInstaller : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir);
        for (const char* pszFile : kProgramFiles) {
            fs::copy_file(workflowtest::BinDir() / pszFile, m_dir / pszFile);
        }
        testsupport::WriteFile(m_dir / "Install.ini", "[Config]\nlanguage=2\n" + m_strDeadUrls);
    }
    void TearDown() override {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // Starts the copy from another current folder, with the environment given
    // on top of this one's (a value of null removes the variable).
    bool Start(std::vector<std::pair<std::string, const char*>> vecEnv = {}) {
        // In sanitizer builds: GTK, fontconfig and D-Bus keep caches for the
        // life of the process; the in-process suites check our own leaks.
        vecEnv.emplace_back("ASAN_OPTIONS", "detect_leaks=0");
        std::vector<std::string> env;
        for (char** p = environ; *p; ++p) {
            std::string strVar = *p;
            bool bReplaced = false;
            for (const auto& [name, value] : vecEnv) {
                bReplaced = bReplaced || strVar.rfind(name + "=", 0) == 0;
            }
            if (!bReplaced) {
                env.push_back(strVar);
            }
        }
        for (const auto& [name, value] : vecEnv) {
            if (value) {
                env.push_back(name + "=" + value);
            }
        }
        std::vector<char*> envp;
        for (auto& s : env) {
            envp.push_back(s.data());
        }
        envp.push_back(nullptr);
        std::string strProgram = (m_dir / "TovadocInstaller").string();
        char* argv[] = {strProgram.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addchdir_np(&actions, "/");
        int nRc = posix_spawn(&m_pid, strProgram.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return nRc == 0;
    }
    // The exit code, or -1 when the program is still running after the guard.
    int WaitExit(int nSeconds) {
        for (int i = 0; i < nSeconds * 20; ++i) {
            int nStatus = 0;
            if (waitpid(m_pid, &nStatus, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    void ShowAndClose(const std::string& strTitle);
    // The id of the program's first visible window, empty after 30 s.
    std::string FindWindow() {
        std::string strWindow;
        for (int i = 0; i < 300 && strWindow.empty(); ++i) {
            strWindow = Capture("xdotool search --onlyvisible --pid " + std::to_string(m_pid) +
                                " 2>/dev/null | head -n 1");
            if (strWindow.empty()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        return strWindow;
    }

    // Nothing here may reach beyond this machine.
    const std::string m_strDeadUrls =
        "net40_url=http://127.0.0.1:9/n4\nnet45_url=http://127.0.0.1:9/n45\n"
        "install_pack_url=http://127.0.0.1:9/p\ninstall_statistics_url=http://127.0.0.1:9/s\n";
    testsupport::TempDir m_tmp;
    fs::path m_dir = m_tmp / "installer";
    fs::path m_log = m_tmp / "installer.log";
    pid_t m_pid = -1;
};

// Starts the program, waits for its window, checks its title and closes it
// with the caption's close button; the exit code must be 0.
void TovadocInstaller::ShowAndClose(const std::string& strTitle) {
    ASSERT_TRUE(Start());
    std::string strWindow = FindWindow();
    ASSERT_FALSE(strWindow.empty()) << testsupport::ReadFile(m_log);
    EXPECT_EQ(Capture("xdotool getwindowname " + strWindow), strTitle);

    std::string strGeometry = Capture("xdotool getwindowgeometry --shell " + strWindow);
    int nX = 0, nY = 0, nWidth = 0, nHeight = 0;
    for (const char* pszKey : {"X=", "Y=", "WIDTH=", "HEIGHT="}) {
        size_t nPos = strGeometry.find(std::string("\n") + pszKey);
        nPos = nPos == std::string::npos ? strGeometry.find(pszKey) : nPos + 1;
        ASSERT_NE(nPos, std::string::npos) << strGeometry;
        int nValue = std::stoi(strGeometry.substr(nPos + strlen(pszKey)));
        (pszKey[0] == 'X'   ? nX
         : pszKey[0] == 'Y' ? nY
         : pszKey[0] == 'W' ? nWidth
                            : nHeight) = nValue;
    }
    EXPECT_EQ(nWidth, 806);
    EXPECT_EQ(nHeight, 488);
    // The caption's close button: 30 x 20 in the top right corner, inside
    // the 5-pixel shadow and the 3-pixel frame.
    const int nCloseX = nX + nWidth - 8 - 15;
    const int nCloseY = nY + 8 + 10;
    Capture("xdotool mousemove " + std::to_string(nCloseX) + " " + std::to_string(nCloseY) +
            " sleep 0.2 click 1");
    EXPECT_EQ(WaitExit(30), 0) << testsupport::ReadFile(m_log);
}

TEST_F(TovadocInstaller, WindowAppearsInTheLanguageOfInstallIni) {
    if (!getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display (scripts/test.sh starts Xvfb)";
    }
    // Install.ini is found beside the program, whatever the current folder.
    ShowAndClose("Tovadoc install program");
    // Without a table the title shows its key.
    testsupport::WriteFile(m_dir / "Install.ini", "[Config]\nlanguage=3\n" + m_strDeadUrls);
    ShowAndClose("title");
    // Without Install.ini: Chinese.
    fs::remove(m_dir / "Install.ini");
    ShowAndClose("Tovadoc安装程序");
}

// Unpacked from an archive with GBK names, the program's folder name is no
// UTF-8: its modules and its Install.ini (English) are still found.
TEST_F(TovadocInstaller, FolderWhoseNameIsNoUtf8StillFindsItsSettings) {
    if (!getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display (scripts/test.sh starts Xvfb)";
    }
    const fs::path gbk = m_tmp / "\xB0\xB2\xD7\xB0 \xB3\xCC\xD0\xF2";
    fs::rename(m_dir, gbk);
    m_dir = gbk;
    ShowAndClose("Tovadoc install program");
}

TEST_F(TovadocInstaller, WithoutADisplayItSaysSoAndFails) {
    ASSERT_TRUE(Start({{"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}}));
    int nExit = WaitExit(30);
    EXPECT_NE(nExit, 0);
    EXPECT_NE(nExit, -1);
    EXPECT_NE(testsupport::ReadFile(m_log).find("display"), std::string::npos)
        << testsupport::ReadFile(m_log);
}

}  // namespace

namespace {

TEST_F(TovadocInstaller, WithoutItsDrawingModulesItStopsAndSaysSo) {
    if (!getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display (scripts/test.sh starts Xvfb)";
    }
    for (const char* pszModule : {"render-cairo.so", "imgdecoder-png.so"}) {
        fs::rename(m_dir / pszModule, m_tmp / pszModule);
        ASSERT_TRUE(Start());
        int nExit = WaitExit(30);
        EXPECT_NE(nExit, 0) << pszModule;
        EXPECT_NE(nExit, -1) << pszModule;
        EXPECT_NE(testsupport::ReadFile(m_log).find("drawing modules"), std::string::npos)
            << testsupport::ReadFile(m_log);
        fs::rename(m_tmp / pszModule, m_dir / pszModule);
    }
}

}  // namespace

namespace {

TEST_F(TovadocInstaller, ASecondInstallerInTheSameFolderSaysSoAndDoesNotStart) {
    if (!getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display (scripts/test.sh starts Xvfb)";
    }
    const std::string strLock = m_dir.string();
    // A file planted where older installers kept their lock changes nothing.
    ASSERT_EQ(0, symlink("/nonexistent", (m_dir / "TovadocInstaller.lock").c_str()));
    // A running installer holds its folder: nobody else gets the lock.
    ASSERT_TRUE(Start());
    ASSERT_FALSE(FindWindow().empty()) << testsupport::ReadFile(m_log);
    CFileLock other;
    EXPECT_EQ(other.TryLockFolder(strLock), CFileLock::Result::Busy);
    kill(m_pid, SIGKILL);
    EXPECT_NE(WaitExit(30), -1);
    // ... until it dies, however it dies.
    ASSERT_EQ(other.TryLockFolder(strLock), CFileLock::Result::Locked);

    // With the folder held, a new installer shows its message box instead of
    // the main window, and ends when the box is closed.
    ASSERT_TRUE(Start());
    std::string strWindow = FindWindow();
    ASSERT_FALSE(strWindow.empty()) << testsupport::ReadFile(m_log);
    std::string strGeometry = Capture("xdotool getwindowgeometry " + strWindow);
    EXPECT_EQ(strGeometry.find("806x488"), std::string::npos) << strGeometry;
    EXPECT_NE(testsupport::ReadFile(m_log).find("another installation is running"),
              std::string::npos);
    // No window manager gives it the focus, and a box just mapped may not
    // take a key yet: it is focused directly, and Escape repeated until the
    // program ends.
    int nExit = -1;
    for (int i = 0; i < 15 && nExit == -1; ++i) {
        Capture("xdotool windowfocus " + strWindow + " 2>/dev/null; xdotool key Escape");
        nExit = WaitExit(2);
    }
    EXPECT_EQ(nExit, 1) << testsupport::ReadFile(m_log);
}

// A signal while the folder chooser is open closes the chooser and then
// the installer, as its close button does.
TEST_F(TovadocInstaller, ASignalWhileTheFolderChooserIsOpenEndsTheProgram) {
    if (!getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display (scripts/test.sh starts Xvfb)";
    }
#if defined(__SANITIZE_THREAD__)
    // The real chooser lists folders on GIO's worker pool, which takes its
    // work through a queue the race detector cannot see: every string GLib
    // hands over is reported, none of it ours.
    GTEST_SKIP() << "the folder chooser's GIO workers under the race detector";
#endif
    ASSERT_TRUE(Start());
    std::string strWindow = FindWindow();
    ASSERT_FALSE(strWindow.empty()) << testsupport::ReadFile(m_log);
    const std::string strGeometry = Capture("xdotool getwindowgeometry --shell " + strWindow);
    const int nX = std::stoi(strGeometry.substr(strGeometry.find("X=") + 2));
    const int nY = std::stoi(strGeometry.substr(strGeometry.find("\nY=") + 3));
    // The browse button right of the folder field: 8 pixels of shadow and
    // frame, 20 of caption row, then the page's own place for it.
    // A window just shown may not take a click yet: click until the
    // chooser is there.
    std::string strWindows;
    for (int i = 0; i < 100 && std::stoi("0" + strWindows) < 2; ++i) {
        if (i % 20 == 0)
            Capture("xdotool mousemove " + std::to_string(nX + 519) + " " +
                    std::to_string(nY + 364) + " sleep 0.2 click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        strWindows = Capture("xdotool search --onlyvisible --pid " + std::to_string(m_pid) +
                             " 2>/dev/null | wc -l");
    }
    ASSERT_GT(std::stoi("0" + strWindows), 1) << "no folder chooser\n"
                                              << testsupport::ReadFile(m_log);
    kill(m_pid, SIGTERM);
    EXPECT_EQ(WaitExit(30), 0) << testsupport::ReadFile(m_log);
    Capture("xdotool mousemove 0 0");  // the pointer back in its corner for the next test
    EXPECT_NE(testsupport::ReadFile(m_log).find("the folder chooser is closed unanswered"),
              std::string::npos);
}

}  // namespace
