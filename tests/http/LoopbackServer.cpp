#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace httptest {

namespace {

int BindLoopback(int backlog) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        (backlog > 0 && listen(fd, backlog) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof(addr);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return -1;
    return ntohs(addr.sin_port);
}

}  // namespace

LoopbackServer::LoopbackServer() : m_pServer(std::make_unique<httplib::Server>()) {}

LoopbackServer::LoopbackServer(const std::string& certFile, const std::string& keyFile)
    : m_pServer(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())),
      m_strScheme("https") {}

LoopbackServer::~LoopbackServer() {
    Release();
    m_pServer->stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool LoopbackServer::Start() {
    if (!m_pServer->is_valid())
        return false;
    m_nPort = m_pServer->bind_to_any_port("127.0.0.1");
    if (m_nPort <= 0)
        return false;
    // Bound and listening already: connections queue until the loop accepts them.
    m_thread = std::thread([this] { m_pServer->listen_after_bind(); });
    // stop() is ignored until the loop runs, and the loop would then never end.
    for (int i = 0; i < 10000 && !m_pServer->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!m_pServer->is_running())
        return false;
    WarmUp();
    return true;
}

void LoopbackServer::WarmUp() {
    // The library builds parts of its request parser on first use (static
    // regular expressions), guarded by a check the race detector cannot see
    // in a library not built for it: built by one server thread and used by
    // another, they would look unordered. Built for a request of this
    // thread, they are ordered before every later request instead.
    httplib::Client client(Url(""));
    client.enable_server_certificate_verification(false);
    client.set_connection_timeout(5);
    client.Get("/.loopback-warm-up", {{"Range", "bytes=0-0"}});
}

std::string LoopbackServer::Url(const std::string& path) const {
    return m_strScheme + "://127.0.0.1:" + std::to_string(m_nPort) + path;
}

void LoopbackServer::WaitUntilReleased(int nMaxSeconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait_for(lock, std::chrono::seconds(nMaxSeconds), [this] { return m_bReleased; });
}

void LoopbackServer::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bReleased = true;
    }
    m_released.notify_all();
}

SilentListener::SilentListener() {
    m_nFd = BindLoopback(16);
    if (m_nFd >= 0)
        m_nPort = PortOf(m_nFd);
}

SilentListener::~SilentListener() {
    if (m_nFd >= 0)
        close(m_nFd);
}

int RefusedPort() {
    int fd = BindLoopback(0);
    if (fd < 0)
        return -1;
    int port = PortOf(fd);
    close(fd);
    return port;
}

}  // namespace httptest
