#include "platform/ProcessControl.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/CCancelToken.h"
#include "platform/CommandLine.h"
#include "platform/InvokingUser.h"
#include "platform/ProcessSpawn.h"
#include "platform/ProcessTree.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

constexpr size_t kReadChunk = 256 * 1024;
// A larger pipe than the default 64 KiB lets a chatty child run on between reads.
constexpr int kPipeBytes = 1024 * 1024;
// Reads per wake-up before the time-out and the token are looked at again.
constexpr int kReadsPerPass = 16;
// Only where pidfd_open is missing (kernels before 5.3).
constexpr int kFallbackPollMs = 10;

std::string FormatCode(const char* format, int code) {
    char text[1024];
    snprintf(text, sizeof(text), format, code);
    return text;
}

int PidfdOpen(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

// What is kept of a child's output: its beginning and its end, each up to
// kKeptBytes, so that a package printing hundreds of megabytes costs little.
constexpr size_t kKeptBytes = 512 * 1024;

class COutputCap {
public:
    explicit COutputCap(std::string& output) : m_output(output) {}
    // Takes one read's text up to its first zero byte.
    void AppendText(const char* data, size_t n) {
        const void* zero = memchr(data, 0, n);
        if (zero)
            n = static_cast<size_t>(static_cast<const char*>(zero) - data);
        const size_t nHead = std::min(n, kKeptBytes - std::min(kKeptBytes, m_output.size()));
        m_output.append(data, nHead);
        m_tail.append(data + nHead, n - nHead);
        if (m_tail.size() > 2 * kKeptBytes)
            Trim();
    }
    // The beginning, a line saying how much was dropped, and the end.
    void Finish() {
        Trim();
        if (m_nDropped > 0)
            m_output += "\n[" + std::to_string(m_nDropped) + " bytes of output dropped]\n";
        m_output += m_tail;
        m_tail.clear();
    }

private:
    void Trim() {
        if (m_tail.size() <= kKeptBytes)
            return;
        m_nDropped += m_tail.size() - kKeptBytes;
        m_tail.erase(0, m_tail.size() - kKeptBytes);
    }

    std::string& m_output;
    std::string m_tail;
    uint64_t m_nDropped = 0;
};

enum class ReadState { Open, Drained, Closed };

// Reads what waits in the non-blocking pipe, at most maxReads times and
// maxBytes in all.
ReadState ReadWaiting(int fd, std::vector<char>& buffer, COutputCap& output, int maxReads,
                      size_t maxBytes = SIZE_MAX) {
    for (int i = 0; i < maxReads && maxBytes > 0; ++i) {
        ssize_t n = read(fd, buffer.data(), std::min(buffer.size(), maxBytes));
        if (n > 0) {
            output.AppendText(buffer.data(), static_cast<size_t>(n));
            maxBytes -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0)
            return ReadState::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return ReadState::Drained;
        WriteLog(L"%s read failed errno=[%d]", L"ProcessControl::RunAndCapture", errno);
        return ReadState::Closed;
    }
    return ReadState::Open;
}

int WaitExitCode(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            WriteLog(L"%s waitpid failed errno=[%d]", L"ProcessControl::RunAndCapture", errno);
            return kRunTimedOut;
        }
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return kRunTimedOut;
}

bool HasExited(pid_t pid) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true;
    return info.si_pid == pid;
}

}  // namespace

bool LaunchProcess(std::wstring& commandLine) {
    std::vector<std::string> args = SplitCommandLine(WideToAnsi(commandLine));
    pid_t pid = 0;
    int rc = 0;
    // Started elevated on someone's behalf: what is launched for them runs as them.
    CInvokingUser user;
    uid_t nUid = 0;
    gid_t nGid = 0;
    const bool bOnBehalf = DecideInvokingIds(geteuid(), getenv("SUDO_UID"), getenv("SUDO_GID"),
                                             getenv("PKEXEC_UID"), nUid, nGid);
    if (bOnBehalf && !FindInvokingUser(user)) {
        rc = EPERM;  // never as root instead
    } else if (bOnBehalf) {
        rc = SpawnProgramAs(args, user, pid);
    } else {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        rc = SpawnProgram(args, &actions, POSIX_SPAWN_SETSID, pid);
        posix_spawn_file_actions_destroy(&actions);
    }
    if (rc != 0) {
        char line[128];
        int n = snprintf(line, sizeof(line), "CreateProcess failed. Error: %d\n", rc);
        ssize_t ignored = write(STDERR_FILENO, line, static_cast<size_t>(n));
        (void)ignored;
        return false;
    }
    // Nobody waits for the program; reap it so it leaves no zombie behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

int RunAndCapture(const std::string& commandLine, std::string& output, uint32_t timeoutMs,
                  const CCancelToken* pCancel, int* pSpawnErr) {
    output.clear();
    if (pSpawnErr != nullptr)
        *pSpawnErr = 0;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        output = FormatCode("create pipe error code=[%d]", errno);
        return kRunPipeFailed;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    // A group of its own, so that ending the child ends whatever it started.
    int rc = SpawnProgram(SplitCommandLine(commandLine), &actions, POSIX_SPAWN_SETPGROUP, pid);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        output = FormatCode("CreateProcessA error code=[%d]", rc);
        if (pSpawnErr != nullptr)
            *pSpawnErr = rc;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return kRunSpawnFailed;
    }
    // Only the child holds the write end now, so a reader never waits for us.
    close(pipeFds[1]);
    const int readFd = pipeFds[0];
    fcntl(readFd, F_SETFL, fcntl(readFd, F_GETFL) | O_NONBLOCK);
    fcntl(readFd, F_SETPIPE_SZ, kPipeBytes);  // best effort: the default size works too
    std::vector<char> buffer(kReadChunk);
    COutputCap captured(output);

    const int pidFd = PidfdOpen(pid);
    if (pidFd < 0)
        WriteLog(L"%s pidfd_open failed errno=[%d]", L"ProcessControl::RunAndCapture", errno);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto limit = std::chrono::milliseconds(timeoutMs);
    bool bPipeOpen = true;
    bool bExited = false;
    for (;;) {
        const auto elapsed = Clock::now() - start;
        if (elapsed > limit)
            break;
        const auto leftUs = std::chrono::duration_cast<std::chrono::microseconds>(limit - elapsed);
        long long waitMs = (leftUs.count() + 999) / 1000;
        if (waitMs > INT_MAX)
            waitMs = INT_MAX;
        if (pidFd < 0 && waitMs > kFallbackPollMs)
            waitMs = kFallbackPollMs;

        pollfd fds[3];
        nfds_t count = 0;
        const int pipeSlot = bPipeOpen ? static_cast<int>(count) : -1;
        if (bPipeOpen)
            fds[count++] = {readFd, POLLIN, 0};
        const int pidSlot = pidFd >= 0 ? static_cast<int>(count) : -1;
        if (pidFd >= 0)
            fds[count++] = {pidFd, POLLIN, 0};
        const int cancelSlot = pCancel && pCancel->GetFd() >= 0 ? static_cast<int>(count) : -1;
        if (cancelSlot >= 0)
            fds[count++] = {pCancel->GetFd(), POLLIN, 0};

        int ready = poll(fds, count, static_cast<int>(waitMs));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            WriteLog(L"%s poll failed errno=[%d]", L"ProcessControl::RunAndCapture", errno);
            break;
        }
        if ((cancelSlot >= 0 && fds[cancelSlot].revents) || (pCancel && pCancel->IsCancelled()))
            break;
        if (pipeSlot >= 0 && fds[pipeSlot].revents) {
            if (ReadWaiting(readFd, buffer, captured, kReadsPerPass) == ReadState::Closed)
                bPipeOpen = false;
        }
        if (pidSlot >= 0 ? fds[pidSlot].revents != 0 : HasExited(pid)) {
            bExited = true;
            break;
        }
    }

    // The last lines a child writes just before it ends are still waiting here.
    // A grandchild may keep writing, so only what is there now is taken.
    if (bPipeOpen) {
        int waiting = 0;
        if (ioctl(readFd, FIONREAD, &waiting) == 0 && waiting > 0)
            ReadWaiting(readFd, buffer, captured, INT_MAX, static_cast<size_t>(waiting));
    }
    captured.Finish();
    int exitCode = kRunTimedOut;
    if (bExited) {
        exitCode = WaitExitCode(pid);
    } else {
        EndProcessTree(pid);
        WaitExitCode(pid);
        WriteLog(L"%s ended the child pid=[%d] after %u ms", L"ProcessControl::RunAndCapture",
                 static_cast<int>(pid),
                 static_cast<unsigned>(
                     std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                         .count()));
    }
    if (pidFd >= 0)
        close(pidFd);
    close(readFd);
    return exitCode;
}
