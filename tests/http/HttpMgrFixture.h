#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "http/CHttpMgr.h"
#include "http/EventHttpCallBack.h"
#include "toolkit/core/SNotifyCenter.h"

namespace httptest {

struct HttpEventCopy {
    int userid;
    int param;
    std::wstring strResponse;
    SOUI::IObject* sender;
    bool bOnLoopThread;
};

// A notification centre on this thread that records every EventHttpCallBack,
// and a loopback server for the requests.
class HttpMgr : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    bool OnEvent(SOUI::EventArgs* pEvt);
    // Turns the loop until n events arrived (or the time is up).
    bool WaitForEvents(size_t n, int nTimeoutMs = 30000);
    // Turns the loop until every request thread has ended.
    bool WaitForThreadsToEnd(int nTimeoutMs = 30000);
    // Id and the text the thread logs about its result.
    static std::string ResultLine(int nId, int bRet);

    SOUI::SNotifyCenter* m_pCenter = nullptr;
    std::vector<HttpEventCopy> m_events;
    std::thread::id m_loopThread;
    // For a test's own handlers: made before the server's threads.
    std::atomic<bool> m_bArrived{false};
    LoopbackServer m_server;
    std::mutex m_seenLock;
    std::string m_strSeenTarget;
    std::string m_strSeenBody;
};

}  // namespace httptest
