#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace testsupport {

std::vector<std::string> ChangedEnvironment(const EnvChanges& env) {
    std::vector<std::string> result;
    for (char** p = environ; *p; ++p) {
        std::string strVar = *p;
        bool bChanged = false;
        for (const auto& [name, value] : env)
            bChanged = bChanged || strVar.rfind(name + "=", 0) == 0;
        if (!bChanged)
            result.push_back(strVar);
    }
    for (const auto& [name, value] : env)
        if (value)
            result.push_back(name + "=" + *value);
    return result;
}

CChildProcess::~CChildProcess() {
    Kill();
}

bool CChildProcess::Start(const std::vector<std::string>& argv, const EnvChanges& env,
                          const std::filesystem::path& log, const std::filesystem::path& cwd) {
    if (m_pid > 0 || argv.empty())
        return false;
    m_nExit = -1;
    std::vector<std::string> args = argv, vars = ChangedEnvironment(env);
    std::vector<char*> argp, envp;
    for (auto& s : args)
        argp.push_back(s.data());
    argp.push_back(nullptr);
    for (auto& s : vars)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    int nRc = posix_spawn(&m_pid, argp[0], &actions, &attr, argp.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (nRc != 0)
        m_pid = -1;
    return nRc == 0;
}

int CChildProcess::Wait(int nTimeoutMs) {
    for (int nWaited = 0; m_pid > 0; nWaited += 20) {
        int nStatus = 0;
        if (waitpid(m_pid, &nStatus, WNOHANG) == m_pid) {
            // Anything it left behind in its group goes too.
            kill(-m_pid, SIGKILL);
            m_pid = -1;
            m_nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
            break;
        }
        if (nWaited >= nTimeoutMs)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_nExit;
}

bool CChildProcess::IsRunning() {
    return Wait(0) == -1 && m_pid > 0;
}

void CChildProcess::Kill() {
    if (m_pid <= 0)
        return;
    kill(-m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

}  // namespace testsupport
