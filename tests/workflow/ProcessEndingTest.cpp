#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DemoServerProcess.h"
#include "WorkflowFixture.h"
#include "install/CInstallMgr.h"
#include "support/ProcessWatch.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// Runs copies of the demo product under the product's names from a folder
// of its own, and only ever signals processes it started there.
class ProcessEnding : public ::testing::Test {
protected:
    void SetUp() override {
        std::string strForeign = workflowtest::ForeignProductProcess();
        if (!strForeign.empty())
            GTEST_SKIP() << strForeign;
    }
    void TearDown() override {
        for (pid_t pid : m_pids) {
            if (IsOurs(pid))
                kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    pid_t Start(const std::string& strName) {
        fs::path exe = m_dir / strName;
        if (!fs::exists(exe))
            fs::copy_file(workflowtest::BinDir() / "Tovadoc.exe", exe);
        std::string path = exe.string();
        std::string wait = "--wait", seconds = "60";
        char* argv[] = {path.data(), wait.data(), seconds.data(), nullptr};
        pid_t pid = -1;
        char* envp[] = {nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp), 0);
        posix_spawn_file_actions_destroy(&actions);
        m_pids.push_back(pid);
        return pid;
    }
    // Still ours and not yet ended: the exe link points into our folder.
    bool IsOurs(pid_t pid) const {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
        return !ec && exe.parent_path() == m_dir.path();
    }
    // How the child ended: the signal that ended it, 0 while it still runs.
    int EndSignal(pid_t pid, bool bWait) {
        int status = 0;
        pid_t r = waitpid(pid, &status, bWait ? 0 : WNOHANG);
        if (r != pid)
            return 0;
        std::erase(m_pids, pid);
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }

    testsupport::TempDir m_dir;
    std::vector<pid_t> m_pids;
};

}  // namespace

TEST_F(ProcessEnding, EveryConvertWorkerIsEnded) {
    std::vector<pid_t> workers = {Start("ConvertWorker.exe"), Start("ConvertWorker.exe"),
                                  Start("ConvertWorker.exe")};
    pid_t agent = Start("UpdateAgent.exe");
    CInstallMgr mgr;
    mgr.EndProductProcesses();
    for (pid_t pid : workers)
        EXPECT_EQ(EndSignal(pid, true), SIGKILL);
    EXPECT_EQ(EndSignal(agent, true), SIGKILL);
}

// A product that started helpers of its own (one in a session of its own)
// is ended with all of them.
TEST_F(ProcessEnding, EndingAProductEndsEverythingItStarted) {
    const fs::path exe = m_dir / "Tovadoc.exe";
    fs::copy_file(fs::path(TOVADOC_HELPER_DIR) / "fork_tree", exe);
    const fs::path pidFile = m_dir / "tree.txt";
    std::string path = exe.string(), ms = "60000", file = pidFile.string();
    char* argv[] = {path.data(), ms.data(), file.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ), 0);
    m_pids.push_back(pid);
    std::vector<pid_t> tree;
    for (int i = 0; i < 1000 && tree.empty(); ++i) {
        std::string text = fs::exists(pidFile) ? testsupport::ReadFile(pidFile) : "";
        if (text.ends_with("ready\n")) {
            for (size_t pos = text.find("pid="); pos != std::string::npos;
                 pos = text.find("pid=", pos + 1))
                tree.push_back(static_cast<pid_t>(std::stol(text.substr(pos + 4))));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ASSERT_EQ(tree.size(), 4u);
    CInstallMgr mgr;
    mgr.EndProductProcesses();
    EXPECT_EQ(EndSignal(pid, true), SIGKILL);
    for (pid_t member : tree) {
        EXPECT_TRUE(testsupport::EndsSoon(member)) << member;
        if (testsupport::IsRunning(member))
            kill(member, SIGKILL);
    }
}

TEST_F(ProcessEnding, OnlyTheFirstTovadocIsEnded) {
    pid_t first = Start("Tovadoc.exe");
    pid_t second = Start("Tovadoc.exe");
    // The lower process id is the one found first.
    pid_t lower = std::min(first, second), higher = std::max(first, second);
    CInstallMgr mgr;
    mgr.EndProductProcesses();
    EXPECT_EQ(EndSignal(lower, true), SIGKILL);
    EXPECT_EQ(EndSignal(higher, false), 0);
    EXPECT_TRUE(IsOurs(higher));
}

TEST_F(ProcessEnding, NothingRunningEndsNothing) {
    // A program under another name is left alone.
    pid_t other = Start("Tovadoc.exe.bak");
    CInstallMgr mgr;
    mgr.EndProductProcesses();
    EXPECT_EQ(EndSignal(other, false), 0);
    EXPECT_TRUE(IsOurs(other));
}

TEST_F(ProcessEnding, AtMostFiftyWorkersAreEnded) {
    std::vector<pid_t> workers;
    for (int i = 0; i < 55; ++i)
        workers.push_back(Start("ConvertWorker.exe"));
    CInstallMgr mgr;
    mgr.EndProductProcesses();
    int nEnded = 0, nRunning = 0;
    for (pid_t pid : workers) {
        if (IsOurs(pid))
            ++nRunning;
        else if (EndSignal(pid, true) == SIGKILL)
            ++nEnded;
    }
    // A worker still listed while it dies can be found twice, so fewer may end.
    EXPECT_LE(nEnded, 50);
    EXPECT_GE(nRunning, 5);
    EXPECT_EQ(nEnded + nRunning, 55);
}
