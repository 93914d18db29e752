// install-cli, the headless front end: its progress line on a terminal and
// its one line per stage elsewhere, its exit codes, its texts in the chosen
// language, its end on a signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DemoServerProcess.h"
#include "app/cli/CProgressLine.h"
#include "platform/CFileLock.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

TEST(ProgressLine, FormatsPercentStepBytesAndSpeedWithinTheColumns) {
    struct Case {
        int nPercent;
        const char* pszStep;
        long long nBytes;
        double dSpeed;
        int nColumns;
        const char* pszLine;
    } cases[] = {
        {5, "net_check", -1, -1, 80, "[  5%] net_check"},
        {57, "down_pack", 1536 * 1024, 3.2 * 1024 * 1024, 80,
         "[ 57%] down_pack  1.5 MiB  3.2 MiB/s"},
        {50, "down_pack", 0, -1, 80, "[ 50%] down_pack  0 B"},
        {100, "done", 980, 15 * 1024, 80, "[100%] done  980 B  15.0 KiB/s"},
        // Cut to the terminal's width: never half a character, wide ones take two columns.
        {57, "down_pack", 1536 * 1024, -1, 12, "[ 57%] down_"},
        {20, "正在下载", 16 * 1024, -1, 12, "[ 20%] 正在"},
        {20, "正在下载", 16 * 1024, -1, 13, "[ 20%] 正在下"},
        {20, "正在下载", 16 * 1024, -1, 14, "[ 20%] 正在下"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CProgressLine::Format(c.nPercent, c.pszStep, c.nBytes, c.dSpeed, c.nColumns),
                  c.pszLine);
}

// Output and exit code of a shell command line.
std::string Shell(const std::string& strCommand, int& nExit) {
    std::string strOut;
    FILE* pPipe = popen(strCommand.c_str(), "r");
    char buf[4096];
    size_t n;
    while (pPipe && (n = fread(buf, 1, sizeof buf, pPipe)) > 0)
        strOut.append(buf, n);
    int nStatus = pPipe ? pclose(pPipe) : -1;
    nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return strOut;
}

// Settings that name the demo server; strPack: the package's path there.
std::string DemoIni(const workflowtest::CDemoServerProcess& server,
                    const std::string& strPack = "/software/install_pack/tvdoc2.0.exe") {
    return "[Config]\nchannel=cli\nlanguage=1\nnet40_url=" +
           server.Url("/software/third_party/NETFramework4.0.exe") +
           "\nnet45_url=" + server.Url("/software/third_party/NETFramework4.5.exe") +
           "\ninstall_pack_url=" + server.Url(strPack) +
           "\ninstall_statistics_url=" + server.Url("/Soft/Sys/InstallationPackage") + "\n";
}

std::string Quote(const std::string& str) {
    return "'" + str + "'";
}

// install-cli with its installer folder and registry hive in dir.
std::string CliCommand(const fs::path& dir, const std::vector<std::string>& args) {
    std::string strCmd = "TOVADOC_REGISTRY_ROOT=" + Quote((dir / "registry").string()) + " " +
                         Quote((workflowtest::BinDir() / "install-cli").string()) +
                         " --installer-dir " + Quote(dir.string());
    for (const std::string& arg : args)
        strCmd += " " + Quote(arg);
    return strCmd;
}

TEST(InstallCli, OneUpdatingLineOnATerminalOneLinePerStageElsewhere) {
    testsupport::TempDir tmp;
    workflowtest::CDemoServerProcess server;
    // Slow enough for the line to show a download's bytes and speed.
    ASSERT_TRUE(server.Start(tmp.path(), {"--slow-ms", "15"})) << server.Log();
    for (bool bTerminal : {true, false}) {
        const fs::path installer = tmp / (bTerminal ? "tty" : "pipe");
        fs::create_directories(installer);
        testsupport::WriteFile(installer / "Install.ini", DemoIni(server));
        std::string strCli = CliCommand(installer, {"--accept-licence", "--install-dir",
                                                    (installer / "Tovadoc").string()}) +
                             " 2>/dev/null";
        // script(1) gives the runner a terminal of its own.
        std::string strCmd = bTerminal ? "script -qec \"" + strCli + "\" /dev/null" : strCli;
        int nExit = -1;
        std::string strOut = Shell(strCmd, nExit);
        EXPECT_EQ(nExit, 0) << strOut;
        // The result in the settings' language, Chinese.
        EXPECT_NE(strOut.find("安装完成：" + (installer / "Tovadoc").string()), std::string::npos)
            << strOut;
        if (bTerminal) {
            // Redrawn in place, with the download's bytes and speed.
            EXPECT_NE(strOut.find("\r[ 5"), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("iB/s"), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("\r[100%]"), std::string::npos) << strOut;
        } else {
            EXPECT_EQ(strOut.find('\r'), std::string::npos) << strOut;
            EXPECT_EQ(strOut.find("\033["), std::string::npos) << strOut;
            // A download's many progress events make one line.
            const std::string strStage = "\n[ 50%] 正在下载安装包...\n";
            EXPECT_NE(strOut.find(strStage), std::string::npos) << strOut;
            EXPECT_EQ(strOut.find(strStage), strOut.rfind(strStage)) << strOut;
            EXPECT_NE(strOut.find("\n[ 80%] 安装完成\n"), std::string::npos) << strOut;
        }
    }
}

// Every way a run can end, in the language asked for.
TEST(InstallCli, ExitCodesAndTextsInTheChosenLanguage) {
    testsupport::TempDir tmp;
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(tmp.path())) << server.Log();
    struct Case {
        const char* pszName;
        std::vector<std::string> args;
        int nExit;
        const char* pszOut;        // on standard output
        const char* pszErr;        // on standard error
        const char* pszInstalled;  // where Tovadoc.exe lands; null: nothing is installed
        bool bMissingPack = false;
        bool bHoldLock = false;
    } cases[] = {
        // clang-format off
        {"unaccepted", {"--unattended", "--language", "2", "--install-dir", "apps"}, 3, "",
         "Nothing was installed: the licence was not accepted. Read it with --show-licence",
         nullptr},
        {"unaccepted-cn", {"--install-dir", "apps"}, 3, "", "尚未接受许可协议", nullptr},
        {"unknown", {"--accept-licence", "--quiet"}, 2, "", "unknown argument --quiet", nullptr},
        {"language", {"--accept-licence", "--language", "3"}, 2, "", "--language is 1", nullptr},
        {"no-value", {"--accept-licence", "--install-dir"}, 2, "", "--install-dir needs a value",
         nullptr},
        {"licence-en", {"--show-licence", "--language=2"}, 0,
         "Tovadoc End User Licence Agreement\nPlease read this agreement", "", nullptr},
        {"licence-cn", {"--show-licence"}, 0, "Tovadoc 最终用户许可协议\n", "", nullptr},
        {"busy", {"--accept-licence", "--language", "2"}, 4, "",
         "Another installation is running from this folder", nullptr, false, true},
        {"404", {"--accept-licence", "--language", "2", "--install-dir", "apps"}, 1,
         "[ 80%] Download failed: file not found on the server (404)\n",
         "Installation failed: Download failed: file not found on the server (404)\n", nullptr,
         true},
        {"file-in-place", {"--accept-licence", "--language", "2", "--install-dir", "apps/file"}, 1,
         "", "apps/file/Tovadoc exists and is not a folder.", nullptr},
        // A relative folder is the caller's; "tovadoc" is not "Tovadoc".
        {"installed-en", {"--unattended", "--accept-licence", "--language", "2", "--install-dir",
                          "apps/tovadoc", "--log", "cli.log"}, 0,
         "\n[ 50%] Downloading the installation package...\n", "", "apps/tovadoc/Tovadoc"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        const fs::path dir = tmp / c.pszName;
        fs::create_directories(dir / "apps" / "tovadoc");
        fs::create_directories(dir / "apps" / "file");
        testsupport::WriteFile(dir / "apps" / "file" / "Tovadoc", "not a folder");
        testsupport::WriteFile(dir / "Install.ini",
                               c.bMissingPack ? DemoIni(server, "/no/such.exe") : DemoIni(server));
        CFileLock lock;
        if (c.bHoldLock) {
            ASSERT_EQ(lock.TryLockFolder(dir.string()),
                      CFileLock::Result::Locked);
        }
        int nExit = -1;
        const std::string strOut = Shell(
            "cd " + Quote(dir.string()) + " && " + CliCommand(dir, c.args) + " 2>err.txt", nExit);
        const std::string strErr = testsupport::ReadFile(dir / "err.txt");
        EXPECT_EQ(nExit, c.nExit) << strOut << strErr;
        EXPECT_NE(strOut.find(c.pszOut), std::string::npos) << strOut;
        EXPECT_NE(strErr.find(c.pszErr), std::string::npos) << strErr;
        if (!c.pszInstalled) {
            EXPECT_FALSE(fs::exists(dir / "TovadocSetup.exe"));
            EXPECT_FALSE(fs::exists(dir / "apps" / "Tovadoc" / "Tovadoc.exe"));
            continue;
        }
        const fs::path product = dir / c.pszInstalled;
        EXPECT_TRUE(fs::exists(product / "Tovadoc.exe"));
        EXPECT_NE(strOut.find("Installed into " + product.string() + "\n"), std::string::npos)
            << strOut;
        // The language asked for wins over the settings' also in user.ini.
        EXPECT_NE(testsupport::ReadFile(product / "user.ini").find("language=2"),
                  std::string::npos);
        EXPECT_NE(testsupport::ReadFile(dir / "cli.log").find("InstallCli::main installing into"),
                  std::string::npos);
        // English throughout: no Chinese, no translation keys.
        for (const char* pszForeign : {"install_pack", "msg_tip", "reason_", "state="})
            EXPECT_EQ(strOut.find(pszForeign), std::string::npos) << pszForeign << "\n" << strOut;
        for (char ch : strOut)
            ASSERT_EQ(ch & 0x80, 0) << strOut;
    }
}

// SIGTERM ends a run as the window's close button does: the download stops
// and takes its ".temp" file with it.
TEST(InstallCli, SigtermEndsTheRunWithoutAHalfDownload) {
    testsupport::TempDir tmp;
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(tmp.path(), {"--slow-ms", "300"})) << server.Log();
    testsupport::WriteFile(tmp / "Install.ini", DemoIni(server));
    fs::create_directories(tmp / "apps");
    testsupport::CChildProcess cli;
    ASSERT_TRUE(cli.Start(
        {(workflowtest::BinDir() / "install-cli").string(), "--installer-dir", tmp.path().string(),
         "--accept-licence", "--language", "2", "--install-dir", (tmp / "apps").string()},
        {{"TOVADOC_REGISTRY_ROOT", (tmp / "registry").string()}}, tmp / "out.txt"));
    auto partial = [&] {
        for (const auto& entry : fs::directory_iterator(tmp.path()))
            if (entry.path().extension() == ".temp")
                return true;
        return false;
    };
    for (int i = 0; i < 600 && !partial(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(partial()) << testsupport::ReadFile(tmp / "out.txt");
    kill(cli.Pid(), SIGTERM);
    EXPECT_EQ(cli.Wait(60000), 128 + SIGTERM);
    EXPECT_FALSE(partial());
    EXPECT_FALSE(fs::exists(tmp / "apps" / "Tovadoc" / "Tovadoc.exe"));
    // Its own end, not the signal's default.
    EXPECT_NE(testsupport::ReadFile(tmp / "out.txt").find("The installation was stopped"),
              std::string::npos)
        << testsupport::ReadFile(tmp / "out.txt");
}

}  // namespace
