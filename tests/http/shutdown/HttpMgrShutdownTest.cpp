// Cancelling is final for the process, so these cases live in a program of
// their own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "../HttpMgrFixture.h"
#include "http/ClusterCurl.h"
#include "platform/TextConvert.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace httptest {
namespace {

TEST_F(HttpMgr, CancelAllAbortsRequestsAndSilencesEvents) {
    ASSERT_TRUE(ClusterCurl::globalInit());
    m_server.Http().Post("/hang", [this](const httplib::Request&, httplib::Response& res) {
        m_bArrived = true;
        m_server.WaitUntilReleased();
        res.set_content("late", "text/plain");
    });
    testsupport::StderrCapture log;
    int nId = CHttpMgr::GetInstance()->PostAsync(AnsiToWide(m_server.Url("/hang")), L"a=1", 0);
    ASSERT_TRUE(SOUI::RunLoopUntil([&] { return m_bArrived.load(); }, 10000));

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(CHttpMgr::CancelAll(10000));
    // Hang guard only; without the cancel the request would take 15 s.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    m_server.Release();

    // Requests posted afterwards never reach the network.
    int nLater = CHttpMgr::GetInstance()->PostAsync(AnsiToWide(m_server.Url("/stats")), L"b=2", 0);
    EXPECT_TRUE(CHttpMgr::CancelAll(10000));
    SOUI::RunLoopFor(50);
    EXPECT_TRUE(m_events.empty());
    {
        std::lock_guard<std::mutex> lock(m_seenLock);
        EXPECT_TRUE(m_strSeenBody.empty());
    }
    std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find(ResultLine(nId, 0) + "]"));
    EXPECT_NE(std::string::npos, text.find(ResultLine(nLater, 0) + "]"));
    EXPECT_NE(std::string::npos, text.find("lResCode=42 ]\n"));
    ClusterCurl::globalCleanup();
}

}  // namespace
}  // namespace httptest
