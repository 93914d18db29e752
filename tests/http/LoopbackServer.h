#pragma once
#include <httplib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httptest {

// A real HTTP(S) server on 127.0.0.1 with a free port, serving from its own
// thread. Register handlers on Http() before Start().
// Handlers run on the server's threads: share state with them through a
// lock, or an atomic made before Start().
class LoopbackServer {
public:
    LoopbackServer();
    LoopbackServer(const std::string& certFile, const std::string& keyFile);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& Http() { return *m_pServer; }
    bool Start();
    int Port() const { return m_nPort; }
    std::string Url(const std::string& path) const;

    // For handlers that must stall: returns when the test releases them,
    // at tear-down, or after nMaxSeconds.
    void WaitUntilReleased(int nMaxSeconds = 60);
    void Release();

private:
    void WarmUp();

    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    int m_nPort = -1;
    std::string m_strScheme = "http";
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_bReleased = false;
};

// Accepts connections at the TCP level (kernel backlog) and never answers.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int Port() const { return m_nPort; }

private:
    int m_nFd = -1;
    int m_nPort = -1;
};

// A loopback port with nothing listening on it.
int RefusedPort();

}  // namespace httptest
