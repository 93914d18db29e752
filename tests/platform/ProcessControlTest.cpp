#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/CCancelToken.h"
#include "platform/CommandLine.h"
#include "platform/InvokingUser.h"
#include "platform/ProcessControl.h"
#include "platform/ProcessFind.h"
#include "platform/TextConvert.h"
#include "support/ProcessWatch.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::StderrCapture;
using testsupport::TempDir;

extern char** environ;

namespace {

std::string Helper(const std::string& name) {
    return std::string(TOVADOC_HELPER_DIR) + "/" + name;
}

// Product-like names made unique per test process: suites of other units
// (and parallel ctest runs) start and end "Tovadoc.exe" processes too.
std::string UniqueName(const std::string& stem, const std::string& suffix = ".exe") {
    return stem + std::to_string(getpid()) + suffix;
}

// A copy of a helper under another name, as a product program would run.
fs::path CopyHelper(const TempDir& dir, const std::string& helper, const std::string& name) {
    fs::path target = dir / name;
    fs::create_directories(target.parent_path());
    fs::copy_file(Helper(helper), target);
    return target;
}

// A path in quotes, as command lines carry folders with blanks.
std::string Quote(const fs::path& path) {
    std::string quoted(1, '"');
    quoted += path.string();
    quoted += '"';
    return quoted;
}

// A child started by the test itself, killed and reaped when the test ends.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
    }
    ~Child() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// The process needs a moment after spawning before /proc shows its new name.
bool WaitUntilFound(const std::string& name, uint32_t& pid) {
    for (int i = 0; i < 500; ++i) {
        if (FindProcessByName(AnsiToWide(name), pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool IsZombieNow(pid_t pid) {
    std::string stat = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'Z';
}

// The pids a fork_tree run wrote, once it wrote "ready".
std::vector<pid_t> TreePids(const std::string& text) {
    std::vector<pid_t> pids;
    if (text.find("ready\n") == std::string::npos)
        return pids;
    for (size_t pos = text.find("pid="); pos != std::string::npos; pos = text.find("pid=", pos + 1))
        pids.push_back(static_cast<pid_t>(std::stol(text.substr(pos + 4))));
    return pids;
}

}  // namespace

TEST(RunAndCapture, ExitCodesAndSilentChild) {
    std::string output = "stale";
    EXPECT_EQ(RunAndCapture(Helper("exit_code") + " 0", output, 10000), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(RunAndCapture(Helper("exit_code") + " 42", output, 10000), 42);
    EXPECT_EQ(RunAndCapture(Helper("exit_code") + " 255", output, 10000), 255);
}

TEST(RunAndCapture, ArgumentsFollowTheWindowsRules) {
    std::string output;
    int rc = RunAndCapture(
        Helper("print_args") + " /S /DIR=\"/opt/my programs/Tovadoc\" \"\" a\\\"b", output, 10000);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(output, "</S>\n</DIR=/opt/my programs/Tovadoc>\n<>\n<a\"b>\n");

    // A program in a folder with a blank, quoted as the install steps do.
    TempDir dir;
    fs::path copy = CopyHelper(dir, "print_args", "my dir/setup.exe");
    EXPECT_EQ(RunAndCapture(Quote(copy) + " x", output, 10000), 0);
    EXPECT_EQ(output, "<x>\n");
}

TEST(RunAndCapture, ProgramWithoutSlashIsLookedUpOnPath) {
    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (std::string(TOVADOC_HELPER_DIR) + ":" + oldPath).c_str(), 1);
    std::string output;
    int rc = RunAndCapture("exit_code 5", output, 10000);
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(rc, 5);
}

TEST(RunAndCapture, LastLinesOfBothStreamsBeforeExitAreKept) {
    for (int i = 0; i < 20; ++i) {
        std::string output;
        ASSERT_EQ(RunAndCapture(Helper("write_then_exit"), output, 10000), 7);
        EXPECT_NE(output.find("last line on stdout\n"), std::string::npos) << output;
        EXPECT_NE(output.find("last line on stderr\n"), std::string::npos) << output;
        EXPECT_EQ(output.size(), 40u);
    }
}

// Output beyond 1 MiB keeps its first and last 512 KiB, in order, and says
// how much is missing between them.
TEST(RunAndCapture, LargeOutputKeepsItsBothEndsInOrder) {
    const size_t kKept = 512 * 1024;
    for (size_t size : {size_t{2 * kKept}, size_t{3 * 1024 * 1024 + 17}}) {
        std::string output;
        ASSERT_EQ(RunAndCapture(Helper("write_bytes") + " " + std::to_string(size), output, 60000),
                  0);
        const size_t nDropped = size - 2 * kKept;
        const std::string line =
            nDropped ? "\n[" + std::to_string(nDropped) + " bytes of output dropped]\n" : "";
        ASSERT_EQ(output.size(), 2 * kKept + line.size()) << size;
        EXPECT_EQ(output.substr(kKept, line.size()), line);
        for (size_t i = 0; i < 2 * kKept; i += 4099) {
            const size_t nAt = i < kKept ? i : i + line.size();
            const size_t nByte = i < kKept ? i : i + nDropped;
            ASSERT_EQ(output[nAt], static_cast<char>('a' + nByte % 65536 % 26)) << i;
        }
    }
    std::string output;

    ASSERT_EQ(RunAndCapture(Helper("write_bytes") + " 100000 err", output, 60000), 0);
    EXPECT_EQ(output.size(), 100000u);
}

TEST(RunAndCapture, ZeroByteCutsTheTextOfThatRead) {
    std::string output;
    EXPECT_EQ(RunAndCapture(Helper("write_zero"), output, 10000), 0);
    EXPECT_EQ(output, "abc");
}

TEST(RunAndCapture, ProgramThatCannotStart) {
    std::string output;
    EXPECT_EQ(RunAndCapture("/nonexistent/TovadocSetup.exe /S", output, 10000), kRunSpawnFailed);
    EXPECT_EQ(output, "CreateProcessA error code=[2]");
    EXPECT_EQ(RunAndCapture("", output, 10000), kRunSpawnFailed);
    EXPECT_EQ(output, "CreateProcessA error code=[2]");

    TempDir dir;
    testsupport::WriteFile(dir / "net4.exe", "not a program");
    fs::permissions(dir / "net4.exe", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(RunAndCapture((dir / "net4.exe").string(), output, 10000), kRunSpawnFailed);
    EXPECT_EQ(output, "CreateProcessA error code=[13]");
}

TEST(RunAndCapture, TimeOutKillsTheChildAndKeepsItsOutput) {
    TempDir dir;
    const std::string name = UniqueName("SlowSetup");
    fs::path copy = CopyHelper(dir, "sleep_ms", name);
    std::string output;
    EXPECT_EQ(RunAndCapture(copy.string() + " 600000 started", output, 300), kRunTimedOut);
    EXPECT_EQ(output, "started\n");
    uint32_t pid = 0;
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name), pid)) << "still running: " << pid;
}

TEST(RunAndCapture, CancelTokenEndsTheRunPromptly) {
    CCancelToken token;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        token.Cancel();
    });
    std::string output;
    // The time-out is far beyond the test's hang guard: only the token can end this.
    EXPECT_EQ(RunAndCapture(Helper("sleep_ms") + " 600000 waiting", output, 3600000, &token),
              kRunTimedOut);
    canceller.join();
    EXPECT_EQ(output, "waiting\n");

    EXPECT_EQ(RunAndCapture(Helper("sleep_ms") + " 600000", output, 3600000, &token), kRunTimedOut);
}

// A child ended at the time-out or on cancel takes everything it started
// along: its group, and descendants that moved to a session of their own.
TEST(RunAndCapture, EndingTheChildEndsEverythingItStarted) {
    for (bool bCancel : {false, true}) {
        CCancelToken token;
        std::thread canceller([&] {
            if (bCancel) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
                token.Cancel();
            }
        });
        std::string output;
        EXPECT_EQ(RunAndCapture(Helper("fork_tree") + " 600000", output, bCancel ? 3600000 : 1000,
                                &token),
                  kRunTimedOut);
        canceller.join();
        const std::vector<pid_t> pids = TreePids(output);
        ASSERT_EQ(pids.size(), 4u) << output;
        for (pid_t pid : pids) {
            EXPECT_TRUE(testsupport::EndsSoon(pid))
                << "still running: " << pid << (bCancel ? " (cancel)" : "");
            kill(pid, SIGKILL);
        }
    }
}

TEST(RunAndCapture, GrandchildHoldingThePipeDoesNotDelayTheEnd) {
    std::string output;
    ASSERT_EQ(RunAndCapture(Helper("fork_linger") + " 600000", output, 3600000), 0);
    ASSERT_TRUE(output.starts_with("grandchild=")) << output;
    pid_t grandchild = static_cast<pid_t>(std::stol(output.substr(11)));
    // The run ended while the grandchild still lives.
    EXPECT_EQ(kill(grandchild, 0), 0);
    kill(grandchild, SIGKILL);
}

TEST(RunAndCapture, ConcurrentRunsKeepTheirOwnOutput) {
    std::string outputs[4];
    int codes[4] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            codes[t] = RunAndCapture(Helper("write_bytes") + " " + std::to_string(50000 * (t + 1)),
                                     outputs[t], 60000);
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(codes[t], 0);
        EXPECT_EQ(outputs[t].size(), 50000u * (t + 1));
    }
}

TEST(LaunchProcess, StartsAProgramThatRunsOnItsOwn) {
    TempDir dir;
    const std::string name = UniqueName("Tovadoc");
    fs::path copy = CopyHelper(dir, "sleep_ms", "my programs/" + name);
    std::wstring commandLine = AnsiToWide(Quote(copy) + " 600000");
    const std::wstring original = commandLine;
    ASSERT_TRUE(LaunchProcess(commandLine));
    EXPECT_EQ(commandLine, original);
    uint32_t pid = 0;
    ASSERT_TRUE(WaitUntilFound(name, pid));
    EXPECT_EQ(kill(static_cast<pid_t>(pid), SIGKILL), 0);
}

// One environment variable set (or removed, for null) for a scope.
class CScopedEnv {
public:
    CScopedEnv(const char* pszName, const char* pszValue) : m_strName(pszName) {
        const char* pszOld = getenv(pszName);
        m_bHadOld = pszOld != nullptr;
        m_strOld = pszOld ? pszOld : "";
        if (pszValue)
            setenv(pszName, pszValue, 1);
        else
            unsetenv(pszName);
    }
    ~CScopedEnv() {
        if (m_bHadOld)
            setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        else
            unsetenv(m_strName.c_str());
    }

private:
    std::string m_strName, m_strOld;
    bool m_bHadOld = false;
};

// A line of /proc/<pid>/status, e.g. "Uid:", without the name.
std::string StatusLine(pid_t pid, const std::string& strName) {
    std::string text = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/status");
    size_t pos = text.find("\n" + strName);
    if (pos == std::string::npos)
        return "";
    pos += strName.size() + 1;
    return text.substr(pos, text.find('\n', pos) - pos);
}

// Run through sudo or pkexec, the installer starts the product as the person
// who asked for it: their uid, gid, groups and home, never root's.
TEST(LaunchProcess, ElevatedInstallerStartsTheProgramAsTheInvokingUser) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can start a program as another user";
    const passwd* pw = getpwnam("nobody");
    if (!pw)
        GTEST_SKIP() << "this system has no user nobody";
    const std::string uid = std::to_string(pw->pw_uid), gid = std::to_string(pw->pw_gid);
    const std::string home = pw->pw_dir;
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    struct Case {
        const char *szSudoUid, *szSudoGid, *szPkexecUid;
        std::string strUid, strGid, strHome;
    };
    const Case cases[] = {
        {uid.c_str(), gid.c_str(), nullptr, uid, gid, home},
        {nullptr, nullptr, uid.c_str(), uid, gid, home},
        // Root's own sudo, and no sudo at all: root stays root.
        {"0", "0", nullptr, "0", "0", "/root"},
        {nullptr, nullptr, nullptr, "0", "0", "/root"},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        CScopedEnv sudoUid("SUDO_UID", c.szSudoUid), sudoGid("SUDO_GID", c.szSudoGid);
        CScopedEnv pkexecUid("PKEXEC_UID", c.szPkexecUid), homeVar("HOME", "/root");
        const std::string name = UniqueName("AsUser" + std::to_string(nCase++));
        fs::path copy = CopyHelper(dir, "sleep_ms", name);
        std::wstring commandLine = AnsiToWide(QuoteProgram(copy.string()) + " 600000");
        ASSERT_TRUE(LaunchProcess(commandLine));
        uint32_t found = 0;
        ASSERT_TRUE(WaitUntilFound(name, found)) << name;
        const pid_t pid = static_cast<pid_t>(found);
        const std::string all =
            "\t" + c.strUid + "\t" + c.strUid + "\t" + c.strUid + "\t" + c.strUid;
        EXPECT_EQ(StatusLine(pid, "Uid:"), all) << name;
        EXPECT_EQ(StatusLine(pid, "Gid:"),
                  "\t" + c.strGid + "\t" + c.strGid + "\t" + c.strGid + "\t" + c.strGid)
            << name;
        if (c.strUid != "0") {
            EXPECT_EQ(StatusLine(pid, "Groups:"), "\t" + c.strGid + " ") << name;
        }
        // Readable once the new program is fully set up (the exe link that
        // found it changes a moment before).
        std::string environment;
        for (int i = 0; i < 500 && environment.empty(); ++i) {
            environment = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/environ");
            if (environment.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_NE(environment.find(std::string("\0HOME=", 6) + c.strHome + '\0'), std::string::npos)
            << name;
        kill(pid, SIGKILL);
    }
    // A program the user may not run is not run at all, certainly not as root.
    TempDir privateDir;  // 0700, root's
    fs::path hidden = CopyHelper(privateDir, "sleep_ms", UniqueName("Hidden"));
    CScopedEnv sudoUid("SUDO_UID", uid.c_str()), sudoGid("SUDO_GID", gid.c_str());
    std::wstring commandLine = AnsiToWide(QuoteProgram(hidden.string()) + " 600000");
    StderrCapture capture;
    EXPECT_FALSE(LaunchProcess(commandLine));
    EXPECT_EQ(capture.Text(), "CreateProcess failed. Error: 13\n");
    // A uid the user database does not know: nothing runs, as them or as root.
    uid_t nUnknown = 3999999;
    while (getpwuid(nUnknown) != nullptr)
        ++nUnknown;
    const std::string unknown = std::to_string(nUnknown);
    for (bool bPkexec : {true, false}) {
        CScopedEnv unknownSudo("SUDO_UID", bPkexec ? nullptr : unknown.c_str());
        CScopedEnv unknownPkexec("PKEXEC_UID", bPkexec ? unknown.c_str() : nullptr);
        const std::string name = UniqueName(bPkexec ? "Unknown1" : "Unknown2");
        std::wstring line =
            AnsiToWide(QuoteProgram(CopyHelper(dir, "sleep_ms", name).string()) + " 600000");
        StderrCapture refused;
        EXPECT_FALSE(LaunchProcess(line)) << name;
        EXPECT_NE(refused.Text().find("is unknown to the user database"), std::string::npos);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        uint32_t found = 0;
        EXPECT_FALSE(FindProcessByName(AnsiToWide(name), found)) << name;
    }
    // The installer itself is still root.
    EXPECT_EQ(geteuid(), 0u);
}

TEST(InvokingUser, IdsFromSudoOrPkexecOnlyWhenRoot) {
    struct Case {
        uid_t euid;
        const char *szSudoUid, *szSudoGid, *szPkexecUid;
        bool bDrop;
        uid_t nUid;
        gid_t nGid;
    };
    const gid_t kLookUp = static_cast<gid_t>(-1);
    const Case cases[] = {
        {0, "1000", "100", nullptr, true, 1000, 100},
        {0, nullptr, nullptr, "1001", true, 1001, kLookUp},
        {0, "1000", "100", "1001", true, 1000, 100},  // sudo's word first
        {0, "1000", nullptr, "1001", true, 1001, kLookUp},
        {1000, "1000", "100", nullptr, false, 0, 0},  // not elevated
        {0, "0", "0", nullptr, false, 0, 0},          // root's own sudo
        {0, "12a", "100", nullptr, false, 0, 0},
        {0, "-5", "100", nullptr, false, 0, 0},
        {0, "", "", "", false, 0, 0},
        {0, "99999999999999999999", "1", nullptr, false, 0, 0},
    };
    for (const Case& c : cases) {
        uid_t nUid = 0;
        gid_t nGid = 0;
        EXPECT_EQ(DecideInvokingIds(c.euid, c.szSudoUid, c.szSudoGid, c.szPkexecUid, nUid, nGid),
                  c.bDrop)
            << (c.szSudoUid ? c.szSudoUid : "-") << " " << (c.szPkexecUid ? c.szPkexecUid : "-");
        if (c.bDrop) {
            EXPECT_EQ(nUid, c.nUid);
            EXPECT_EQ(nGid, c.nGid);
        }
    }
}

TEST(LaunchProcess, EndedProgramLeavesNoZombie) {
    TempDir dir;
    const std::string name = UniqueName("Quick");
    std::wstring commandLine = AnsiToWide(CopyHelper(dir, "exit_code", name).string());
    ASSERT_TRUE(LaunchProcess(commandLine));
    // Zombies keep their name in comm; only a reaped process is gone from /proc.
    auto listed = [&] {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::string comm = testsupport::ReadFile(entry.path() / "comm");
            if (comm == name.substr(0, 15) + "\n")
                return true;
        }
        return false;
    };
    bool gone = false;
    for (int i = 0; i < 1000 && !gone; ++i) {
        gone = !listed();
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
}

TEST(LaunchProcess, MissingProgramIsReportedOnStandardError) {
    StderrCapture capture;
    std::wstring commandLine = L"/nonexistent/Tovadoc.exe";
    EXPECT_FALSE(LaunchProcess(commandLine));
    EXPECT_EQ(capture.Text(), "CreateProcess failed. Error: 2\n");
}

TEST(FindProcessByName, ExactCaseSensitiveNameBeyondFifteenCharacters) {
    TempDir dir;
    const std::string name = UniqueName("ConvertWorker");  // longer than comm holds
    ASSERT_GT(name.size(), 15u);
    Child child({CopyHelper(dir, "sleep_ms", name).string(), "600000"});
    ASSERT_GT(child.Pid(), 0);
    uint32_t pid = 0;
    ASSERT_TRUE(WaitUntilFound(name, pid));
    EXPECT_EQ(pid, static_cast<uint32_t>(child.Pid()));

    uint32_t untouched = 12345;
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(tolower(c));
    EXPECT_FALSE(FindProcessByName(AnsiToWide(lower), untouched));
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name.substr(0, name.size() - 1)), untouched));
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name.substr(0, 15)), untouched));
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name + "x"), untouched));
    EXPECT_FALSE(FindProcessByName(L"", untouched));
    EXPECT_EQ(untouched, 12345u);
}

TEST(FindProcessByName, LowestPidOfTwoIsReported) {
    TempDir dir;
    const std::string name = UniqueName("Tovadoc");
    fs::path copy = CopyHelper(dir, "sleep_ms", name);
    Child first({copy.string(), "600000"});
    Child second({copy.string(), "600000"});
    ASSERT_GT(first.Pid(), 0);
    ASSERT_GT(second.Pid(), 0);
    uint32_t pid = 0;
    ASSERT_TRUE(WaitUntilFound(name, pid));
    EXPECT_EQ(pid, static_cast<uint32_t>(std::min(first.Pid(), second.Pid())));
}

TEST(FindProcessByName, ScriptsGoByTheNameTheyWereStartedAs) {
    TempDir dir;
    for (const std::string& stem : {std::string("Upd"), std::string("UpdateHelperScript")}) {
        const std::string name = UniqueName(stem);
        fs::path script = dir / name;
        testsupport::WriteFile(script, "#!/bin/sh\nwhile :; do sleep 0.2; done\n");
        fs::permissions(script, fs::perms::owner_all);
        Child child({script.string()});
        ASSERT_GT(child.Pid(), 0);
        uint32_t pid = 0;
        ASSERT_TRUE(WaitUntilFound(name, pid)) << name;
        EXPECT_EQ(pid, static_cast<uint32_t>(child.Pid())) << name;
    }
}

TEST(FindProcessByName, ZombiesDoNotCount) {
    TempDir dir;
    const std::string name = UniqueName("Zombie");
    fs::path copy = CopyHelper(dir, "exit_code", name);
    std::vector<char*> argv{const_cast<char*>(copy.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    bool zombie = false;
    for (int i = 0; i < 500 && !zombie; ++i) {
        zombie = IsZombieNow(pid);
        if (!zombie)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(zombie);
    uint32_t found = 0;
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name), found));
    waitpid(pid, nullptr, 0);
}

TEST(FindProcessByName, NameRules) {
    struct Case {
        CProcessNames names;
        const char* szName;
        bool bMatches;
    };
    const CProcessNames elf{
        "/opt/Tovadoc/ConvertWorker.exe", "ConvertWorker.e", {"./ConvertWorker.exe"}, ""};
    const CProcessNames script{"/usr/bin/dash",
                               "ConvertWorker.e",
                               {"/bin/sh", "/opt/ConvertWorker.exe"},
                               "/opt/ConvertWorker.exe"};
    const CProcessNames optionScript{
        "/usr/bin/dash", "Tovadoc.exe", {"sh", "-e", "/opt/Tovadoc.exe"}, "/opt/Tovadoc.exe"};
    const CProcessNames wine{"/usr/lib/wine/wine64-preloader",
                             "Tovadoc.exe",
                             {"C:\\Program Files\\Tovadoc\\Tovadoc.exe"},
                             ""};
    // Any program may call itself anything.
    const CProcessNames renamed{"/usr/bin/sleep", "Tovadoc.exe", {"sleep", "100"}, ""};
    const CProcessNames renamedWithArg{
        "/usr/bin/cat", "Tovadoc.exe", {"cat", "/opt/Tovadoc.exe"}, ""};
    const CProcessNames unreadable{"", "Tovadoc.exe", {"Tovadoc.exe"}, ""};
    const Case cases[] = {
        {elf, "ConvertWorker.exe", true},
        {elf, "ConvertWorker.e", false},
        {script, "ConvertWorker.exe", true},
        {script, "ConvertWorker.exx", false},
        {script, "dash2", false},
        {script, "dash", true},
        {optionScript, "Tovadoc.exe", true},
        {wine, "Tovadoc.exe", true},
        {wine, "tovadoc.exe", false},
        {renamed, "Tovadoc.exe", false},
        {renamedWithArg, "Tovadoc.exe", false},
        {unreadable, "Tovadoc.exe", false},
        {elf, "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProcessNameMatches(c.szName, c.names), c.bMatches)
            << c.szName << " in " << c.names.strExePath << " (" << c.names.strComm << ")";
}

// A program that gave itself a product's name is left alone: root must never
// end an unrelated program.
TEST(FindProcessByName, ProgramThatRenamedItselfIsNotFound) {
    const std::string name = UniqueName("Ren");
    Child child({Helper("rename_self"), name, "600000"});
    ASSERT_GT(child.Pid(), 0);
    const std::string comm = "/proc/" + std::to_string(child.Pid()) + "/comm";
    bool bRenamed = false;
    for (int i = 0; i < 500 && !bRenamed; ++i) {
        bRenamed = testsupport::ReadFile(comm) == name + "\n";
        if (!bRenamed)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(bRenamed);
    uint32_t pid = 0;
    EXPECT_FALSE(FindProcessByName(AnsiToWide(name), pid)) << pid;
}

// The kernel's " (deleted)" mark comes off a program whose file is gone,
// never off a program really named so.
TEST(FindProcessByName, TheDeletedMarkComesOffOnlyWhenTheFileIsGone) {
    struct Case {
        const char* szName;
        bool bNameHasMark;    // the file itself is called "<name> (deleted)"
        bool bDeleteFile;     // removed while it runs
        bool bFoundWithMark;  // found under "<name> (deleted)"
        bool bFoundWithout;   // found under "<name>"
    } cases[] = {
        {"named with the mark", true, false, true, false},
        {"file gone", false, true, false, true},
        {"named with the mark, then gone", true, true, true, false},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        TempDir dir;
        const std::string name = UniqueName("Del" + std::to_string(++nCase));
        const std::string file = c.bNameHasMark ? name + " (deleted)" : name;
        const fs::path copy = CopyHelper(dir, "sleep_ms", file);
        Child child({copy.string(), "600000"});
        ASSERT_GT(child.Pid(), 0) << c.szName;
        uint32_t pid = 0;
        ASSERT_TRUE(WaitUntilFound(file, pid)) << c.szName;
        if (c.bDeleteFile)
            fs::remove(copy);
        EXPECT_EQ(c.bFoundWithMark, FindProcessByName(AnsiToWide(name + " (deleted)"), pid))
            << c.szName;
        EXPECT_EQ(c.bFoundWithout, FindProcessByName(AnsiToWide(name), pid)) << c.szName;
    }
}
