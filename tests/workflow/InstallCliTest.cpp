// install-cli, the demo's runner: its progress line on a terminal and its
// one line per event elsewhere.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "DemoServerProcess.h"
#include "demo/install-cli/CProgressLine.h"
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

TEST(InstallCli, OneUpdatingLineOnATerminalOneLinePerEventElsewhere) {
    testsupport::TempDir tmp;
    workflowtest::CDemoServerProcess server;
    // Slow enough for the line to show a download's bytes and speed.
    ASSERT_TRUE(server.Start(tmp.path(), {"--slow-ms", "15"})) << server.Log();
    for (bool bTerminal : {true, false}) {
        const fs::path installer = tmp / (bTerminal ? "tty" : "pipe");
        fs::create_directories(installer);
        testsupport::WriteFile(
            installer / "Install.ini",
            "[Config]\nchannel=cli\nnet40_url=" +
                server.Url("/software/third_party/NETFramework4.0.exe") +
                "\nnet45_url=" + server.Url("/software/third_party/NETFramework4.5.exe") +
                "\ninstall_pack_url=" + server.Url("/software/install_pack/tvdoc2.0.exe") +
                "\ninstall_statistics_url=" + server.Url("/Soft/Sys/InstallationPackage") + "\n");
        std::string strCli = "TOVADOC_REGISTRY_ROOT='" + (installer / "registry").string() + "' '" +
                             (workflowtest::BinDir() / "install-cli").string() +
                             "' --installer-dir '" + installer.string() + "' --install-dir '" +
                             (installer / "Tovadoc").string() + "' 2>/dev/null";
        // script(1) gives the runner a terminal of its own.
        std::string strCmd = bTerminal ? "script -qec \"" + strCli + "\" /dev/null" : strCli;
        int nExit = -1;
        std::string strOut = Shell(strCmd, nExit);
        EXPECT_EQ(nExit, 0) << strOut;
        EXPECT_NE(strOut.find("result: success"), std::string::npos) << strOut;
        if (bTerminal) {
            // Redrawn in place, with the download's bytes and speed.
            EXPECT_NE(strOut.find("\r[ 5"), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("iB/s"), std::string::npos) << strOut;
            EXPECT_EQ(strOut.find("state="), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("\r[100%]"), std::string::npos) << strOut;
        } else {
            EXPECT_EQ(strOut.find('\r'), std::string::npos) << strOut;
            EXPECT_EQ(strOut.find("\033["), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("\n[ 50%] state= 0"), std::string::npos) << strOut;
            EXPECT_NE(strOut.find("\n[100%] state= 0"), std::string::npos) << strOut;
        }
    }
}

}  // namespace
