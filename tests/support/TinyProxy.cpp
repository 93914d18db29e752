#include "support/TinyProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    int port = -1;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0)
        close(fd);
    return port;
}

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

const char* FindTinyProxy() {
    for (const char* path : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"})
        if (access(path, X_OK) == 0)
            return path;
    return nullptr;
}

}  // namespace

TinyProxy::TinyProxy(const std::filesystem::path& workDir) : m_dir(workDir) {}

TinyProxy::~TinyProxy() {
    Stop();
}

bool TinyProxy::Start() {
    const char* szProgram = FindTinyProxy();
    m_nPort = FreeLoopbackPort();
    if (szProgram == nullptr || m_nPort <= 0)
        return false;
    const std::string conf = (m_dir / "tinyproxy.conf").string();
    {
        std::ofstream out(conf);
        out << "Port " << m_nPort << "\nListen 127.0.0.1\nTimeout 30\n"
            << "LogFile \"" << (m_dir / "tinyproxy.log").string() << "\"\nLogLevel Info\n"
            << "MaxClients 20\nAllow 127.0.0.1\nViaProxyName \"" << kViaName << "\"\n";
    }
    const std::string out = (m_dir / "tinyproxy.out").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // In the foreground, so that its pid is the one to stop.
    char* argv[] = {const_cast<char*>(szProgram), const_cast<char*>("-d"), const_cast<char*>("-c"),
                    const_cast<char*>(conf.c_str()), nullptr};
    int rc = posix_spawn(&m_pid, szProgram, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_pid = -1;
        return false;
    }
    for (int i = 0; i < 500; ++i) {
        if (Accepts(m_nPort))
            return true;
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
}

void TinyProxy::Stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 300 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(m_pid, nullptr, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

std::string TinyProxy::Log() const {
    std::ifstream in(m_dir / "tinyproxy.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ScopedEnv::ScopedEnv(const char* szName, const char* szValue) : m_strName(szName) {
    if (const char* szOld = getenv(szName)) {
        m_bHadOld = true;
        m_strOld = szOld;
    }
    if (szValue != nullptr)
        setenv(szName, szValue, 1);
    else
        unsetenv(szName);
}

ScopedEnv::~ScopedEnv() {
    if (m_bHadOld)
        setenv(m_strName.c_str(), m_strOld.c_str(), 1);
    else
        unsetenv(m_strName.c_str());
}

}  // namespace testsupport
