#pragma once
// A real program started by a test in a process group of its own, with its
// output in a log file. Whatever it started goes with it when the test ends.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// name, value; a value of nullopt removes the variable.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // argv[0] is the program's path. Standard input is /dev/null; standard
    // output and error are appended to log.
    bool Start(const std::vector<std::string>& argv, const EnvChanges& env,
               const std::filesystem::path& log, const std::filesystem::path& cwd = "/");
    // The exit code (128 + signal when killed), or -1 while it still runs
    // after nTimeoutMs (a hang guard, not a timing) or was never started.
    int Wait(int nTimeoutMs);
    bool IsRunning();
    // SIGKILL to the whole group, then reaped.
    void Kill();
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_nExit = -1;
};

// The environment of this process with the changes applied, as NAME=value.
std::vector<std::string> ChangedEnvironment(const EnvChanges& env);

}  // namespace testsupport
