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

// Appends one read's text up to its first zero byte.
void AppendText(std::string& output, const char* data, size_t n) {
    const void* zero = memchr(data, 0, n);
    output.append(data, zero ? static_cast<size_t>(static_cast<const char*>(zero) - data) : n);
}

enum class ReadState { Open, Drained, Closed };

// Reads what waits in the non-blocking pipe, at most maxReads times and
// maxBytes in all.
ReadState ReadWaiting(int fd, std::vector<char>& buffer, std::string& output, int maxReads,
                      size_t maxBytes = SIZE_MAX) {
    for (int i = 0; i < maxReads && maxBytes > 0; ++i) {
        ssize_t n = read(fd, buffer.data(), std::min(buffer.size(), maxBytes));
        if (n > 0) {
            AppendText(output, buffer.data(), static_cast<size_t>(n));
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
    if (FindInvokingUser(user)) {
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
                  const CCancelToken* pCancel) {
    output.clear();
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
            if (ReadWaiting(readFd, buffer, output, kReadsPerPass) == ReadState::Closed)
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
            ReadWaiting(readFd, buffer, output, INT_MAX, static_cast<size_t>(waiting));
    }
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
