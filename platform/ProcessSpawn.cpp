#include "platform/ProcessSpawn.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/InvokingUser.h"

extern char** environ;

// Released builds are linked against an older C library and run on older
// kernels, which lack these; the numbers are the kernel's own.
#ifndef SYS_close_range
#define SYS_close_range 436
#endif
#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace {

// A C library before 2.34 cannot close the descriptors in the child: they
// are marked close-on-exec here instead, which every exec honours.
void CloseDescriptorsInChild(posix_spawn_file_actions_t* pActions) {
    using AddCloseFromFn = int (*)(posix_spawn_file_actions_t*, int);
    static const auto fnAddCloseFrom = reinterpret_cast<AddCloseFromFn>(
        dlsym(RTLD_DEFAULT, "posix_spawn_file_actions_addclosefrom_np"));
    if (fnAddCloseFrom) {
        fnAddCloseFrom(pActions, 3);
        return;
    }
    DIR* pDir = opendir("/proc/self/fd");
    if (!pDir)
        return;
    const int nOwn = dirfd(pDir);
    while (dirent* pEntry = readdir(pDir)) {
        const int fd = atoi(pEntry->d_name);
        if (fd >= 3 && fd != nOwn)
            fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }
    closedir(pDir);
}

}  // namespace

int SpawnProgram(const std::vector<std::string>& args, posix_spawn_file_actions_t* pActions,
                 short extraFlags, pid_t& pid) {
    if (args.empty() || args[0].empty())
        return ENOENT;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The child must not inherit an ignored SIGPIPE or a blocked mask from us.
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attr, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | extraFlags);

    posix_spawn_file_actions_t localActions;
    if (!pActions) {
        posix_spawn_file_actions_init(&localActions);
        pActions = &localActions;
    }
    CloseDescriptorsInChild(pActions);

    const bool bSearchPath = args[0].find('/') == std::string::npos;
    int rc = bSearchPath ? posix_spawnp(&pid, argv[0], pActions, &attr, argv.data(), environ)
                         : posix_spawn(&pid, argv[0], pActions, &attr, argv.data(), environ);
    if (pActions == &localActions)
        posix_spawn_file_actions_destroy(&localActions);
    posix_spawnattr_destroy(&attr);
    return rc;
}

namespace {

// The program as execve needs it: a name without '/' looked up on PATH.
bool ResolveProgram(const std::string& program, std::string& path) {
    if (program.find('/') != std::string::npos) {
        path = program;
        return true;
    }
    const char* pszPath = getenv("PATH");
    std::string dirs = pszPath ? pszPath : "/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t end = dirs.find(':', pos);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = (end > pos ? dirs.substr(pos, end - pos) : ".") + "/" + program;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111)) {
            path = candidate;
            return true;
        }
        pos = end + 1;
    }
    return false;
}

// The environment with the user's own HOME, USER and LOGNAME.
std::vector<std::string> UserEnvironment(const CInvokingUser& user) {
    std::vector<std::string> env;
    for (char** p = environ; *p; ++p) {
        if (strncmp(*p, "HOME=", 5) != 0 && strncmp(*p, "USER=", 5) != 0 &&
            strncmp(*p, "LOGNAME=", 8) != 0)
            env.emplace_back(*p);
    }
    if (!user.strHome.empty())
        env.push_back("HOME=" + user.strHome);
    if (!user.strName.empty()) {
        env.push_back("USER=" + user.strName);
        env.push_back("LOGNAME=" + user.strName);
    }
    return env;
}

// In the child of fork: only system calls from here on. Raw calls change
// the identity of this (the only) thread without the C library's
// all-threads machinery.
[[noreturn]] void BecomeUserAndRun(const char* pszPath, char* const* argv, char* const* envp,
                                   const CInvokingUser& user, int nReportFd) {
    int err = 0;
    setsid();
    int nNull = open("/dev/null", O_RDONLY);
    if (nNull < 0 || dup2(nNull, STDIN_FILENO) < 0)
        err = errno;
    if (syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
        // Kernels before 5.11: one descriptor at a time, up to the limit.
        struct rlimit limit {};
        long nMax =
            syscall(SYS_getrlimit, RLIMIT_NOFILE, &limit) == 0 ? long(limit.rlim_cur) : 1024;
        for (long fd = 3; fd < nMax && fd < 65536; ++fd)
            fcntl(int(fd), F_SETFD, FD_CLOEXEC);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig != SIGKILL && sig != SIGSTOP)
            signal(sig, SIG_DFL);
    }
    if (err == 0 && (syscall(SYS_setgroups, user.vecGroups.size(), user.vecGroups.data()) != 0 ||
                     syscall(SYS_setresgid, user.nGid, user.nGid, user.nGid) != 0 ||
                     syscall(SYS_setresuid, user.nUid, user.nUid, user.nUid) != 0))
        err = errno;
    if (err == 0) {
        execve(pszPath, argv, envp);
        err = errno;
    }
    ssize_t ignored = write(nReportFd, &err, sizeof(err));
    (void)ignored;
    _exit(127);
}

}  // namespace

int SpawnProgramAs(const std::vector<std::string>& args, const CInvokingUser& user, pid_t& pid) {
    std::string path;
    if (args.empty() || args[0].empty() || !ResolveProgram(args[0], path))
        return ENOENT;
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env = UserEnvironment(user);
    std::vector<char*> envp;
    for (std::string& var : env)
        envp.push_back(var.data());
    envp.push_back(nullptr);

    // The child reports a failure through this pipe; a successful execve
    // closes it empty.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return errno;
    pid = fork();
    if (pid < 0) {
        int err = errno;
        close(report[0]);
        close(report[1]);
        return err;
    }
    if (pid == 0)
        BecomeUserAndRun(path.c_str(), argv.data(), envp.data(), user, report[1]);
    close(report[1]);
    int err = 0;
    ssize_t n;
    while ((n = read(report[0], &err, sizeof(err))) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof(err)) && err != 0) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return err;
    }
    return 0;
}
