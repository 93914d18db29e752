// Cancelling the HTTP manager is final for a process, so this case lives in
// a program of its own.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "app/AppShutdown.h"
#include "http/CHttpMgr.h"
#include "http/ClusterCurl.h"
#include "http/EventHttpCallBack.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/SSlot.h"

namespace {

// A port that takes connections into its queue and never answers them.
class CSilentServer {
public:
    CSilentServer() {
        m_nFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(addr);
        if (bind(m_nFd, reinterpret_cast<sockaddr*>(&addr), len) == 0 && listen(m_nFd, 4) == 0 &&
            getsockname(m_nFd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            m_nPort = ntohs(addr.sin_port);
    }
    ~CSilentServer() { close(m_nFd); }
    std::wstring Url() const {
        return L"http://127.0.0.1:" + std::to_wstring(m_nPort) + L"/Soft/Sys/InstallationPackage";
    }
    // A client has connected (its connection waits in the queue).
    bool WaitForClient() const {
        pollfd fd{m_nFd, POLLIN, 0};
        return poll(&fd, 1, 10000) == 1;
    }
    int Port() const { return m_nPort; }

private:
    int m_nFd = -1;
    int m_nPort = 0;
};

struct CEventCounter {
    bool OnEvent(SOUI::EventArgs*) {
        ++m_nEvents;
        return true;
    }
    int m_nEvents = 0;
};

}  // namespace

// The statistics post may still wait for its answer when the window goes:
// shutdown ends it before the centre and libcurl's global state go.
TEST(AppShutdown, PostInFlightIsEndedBeforeTheCentreAndLibcurlGo) {
    ASSERT_TRUE(ClusterCurl::globalInit());
    CSilentServer server;
    ASSERT_GT(server.Port(), 0);
    auto* pCenter = new SOUI::SNotifyCenter;
    pCenter->addEvent(EventHttpCallBack::EventID, EventHttpCallBack::EventName);
    CEventCounter counter;
    pCenter->RegisterEventMap(SOUI::Subscriber(&CEventCounter::OnEvent, &counter));

    testsupport::StderrCapture log;
    const int nId = CHttpMgr::GetInstance()->PostAsync(server.Url(), L"info=e30=", 0);
    ASSERT_EQ(nId, 1);
    ASSERT_TRUE(server.WaitForClient());
    EXPECT_EQ(CHttpMgr::GetRunningCount(), 1);

    // Within the bound: every request thread has ended when it returns.
    EXPECT_TRUE(EndRequests());
    EXPECT_EQ(CHttpMgr::GetRunningCount(), 0);
    SOUI::RunLoopFor(20);
    pCenter->UnregisterEventMap(SOUI::Subscriber(&CEventCounter::OnEvent, &counter));
    delete pCenter;
    EndTransfers();

    EXPECT_EQ(counter.m_nEvents, 0);
    const std::string text = log.Text();
    EXPECT_NE(text.find("CHttpMgr::HttpThreadProc userid=[1] responseType=[0] bRet=[0]"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("no notification centre"), std::string::npos) << text;
    EXPECT_EQ(text.find("AppShutdown::"), std::string::npos) << text;
}
