#include "DemoServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace workflowtest {

std::filesystem::path BinDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

CDemoServerProcess::~CDemoServerProcess() {
    Stop();
}

bool CDemoServerProcess::Start(const std::filesystem::path& workDir,
                               const std::vector<std::string>& vecArgs) {
    m_logFile = workDir / "server.log";
    m_statsFile = workDir / "stats.jsonl";
    std::vector<std::string> args = {(BinDir() / "tovadoc-demo-server").string(),
                                     "--port",
                                     "0",
                                     "--files",
                                     BinDir().string(),
                                     "--stats",
                                     m_statsFile.string()};
    args.insert(args.end(), vecArgs.begin(), vecArgs.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The server is a sanitized build too: its reports go to files that
    // Stop() turns into a failure of the test.
    m_sanitizerLog = workDir / "server-sanitizer";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "TSAN_OPTIONS=", 13) != 0 &&
            std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0)
            env.push_back(*e);
    }
    env.push_back("TSAN_OPTIONS=log_path=" + m_sanitizerLog.string());
    env.push_back("ASAN_OPTIONS=detect_leaks=0:log_path=" + m_sanitizerLog.string());
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, m_logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_pid = -1;
        return false;
    }
    const std::string kPrefix = "listening on http://127.0.0.1:";
    for (int i = 0; i < 1500; ++i) {  // up to 30 s
        std::string log = testsupport::ReadFile(m_logFile);
        size_t pos = log.find(kPrefix);
        if (pos != std::string::npos && log.find('\n', pos) != std::string::npos) {
            m_nPort = std::atoi(log.c_str() + pos + kPrefix.size());
            return m_nPort > 0;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void CDemoServerProcess::Stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    bool bEnded = false;
    for (int i = 0; i < 500 && !bEnded; ++i) {  // up to 10 s, then force it
        bEnded = waitpid(m_pid, &status, WNOHANG) == m_pid;
        if (!bEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!bEnded) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
    // A sanitizer report of the server (log_path adds ".<pid>").
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(m_sanitizerLog.parent_path(), ec)) {
        if (entry.path().filename().string().starts_with(m_sanitizerLog.filename().string()))
            ADD_FAILURE() << "the demo server's sanitizer reported:\n"
                          << testsupport::ReadFile(entry.path());
    }
}

std::string CDemoServerProcess::Url(const std::string& strPath) const {
    return "http://127.0.0.1:" + std::to_string(m_nPort) + strPath;
}

std::vector<std::string> CDemoServerProcess::Records() const {
    std::vector<std::string> records;
    std::istringstream in(testsupport::ReadFile(m_statsFile));
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            records.push_back(line);
    return records;
}

std::string CDemoServerProcess::Log() const {
    return testsupport::ReadFile(m_logFile);
}

}  // namespace workflowtest
