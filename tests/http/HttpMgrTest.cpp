#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CurlInitFault.h"
#include "HttpMgrFixture.h"
#include "platform/TextConvert.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace httptest {
namespace {

using testsupport::StderrCapture;

std::wstring Wide(const std::string& utf8) {
    return AnsiToWide(utf8);
}

TEST_F(HttpMgr, RequestsAreNumberedFromOneInOrder) {
    const int nBefore = g_nHttpRequestId;
    StderrCapture log;
    int nFirst = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"a=1", 7);
    int nSecond = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"a=2", 8);
    // In a fresh process (as CTest runs each case) these are 1 and 2.
    EXPECT_EQ(nBefore + 1, nFirst);
    EXPECT_EQ(nBefore + 2, nSecond);
    ASSERT_TRUE(WaitForEvents(2));
    std::sort(m_events.begin(), m_events.end(),
              [](const HttpEventCopy& a, const HttpEventCopy& b) { return a.userid < b.userid; });
    EXPECT_EQ(nFirst, m_events[0].userid);
    EXPECT_EQ(7, m_events[0].param);
    EXPECT_EQ(nSecond, m_events[1].userid);
    EXPECT_EQ(8, m_events[1].param);
    for (const HttpEventCopy& e : m_events) {
        EXPECT_EQ(CHttpMgr::GetInstance(), e.sender);
        EXPECT_TRUE(e.bOnLoopThread);
    }
}

TEST_F(HttpMgr, LongAddressAndBodyAreCarriedWhole) {
    // Far beyond the 1024-byte address and 4096-byte body of the old record.
    std::string query(3000, 'q');
    std::wstring body = L"info=";
    // (The test server refuses form bodies over 8192 bytes.)
    for (int i = 0; i < 1000; ++i)
        body += L"统计";
    StderrCapture log;
    int nId =
        CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/stats?pad=" + query)), body, 0);
    ASSERT_TRUE(WaitForEvents(1));
    {
        std::lock_guard<std::mutex> lock(m_seenLock);
        // Compared as truth values: a mismatch would print megabytes.
        EXPECT_TRUE("/stats?pad=" + query == m_strSeenTarget) << m_strSeenTarget.size();
        EXPECT_TRUE(WideToAnsi(body) == m_strSeenBody) << m_strSeenBody.size();
    }
    std::wstring expected = L"收到:" + std::to_wstring(WideToAnsi(body).size());
    EXPECT_EQ(expected, m_events[0].strResponse);
    EXPECT_EQ(nId, m_events[0].userid);
    ASSERT_TRUE(WaitForThreadsToEnd());
    EXPECT_NE(std::string::npos, log.Text().find(ResultLine(nId, 1) + WideToAnsi(expected) + "]"));
}

TEST_F(HttpMgr, TableEntryLivesUntilEventIsFired) {
    StderrCapture log;
    int nId = -1;
    {
        // Holding the table lock parks the thread just before it removes its entry.
        MyLock::AutoLock hold(&g_lockHttpThreads);
        nId = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"a=1", 0);
        ASSERT_TRUE(WaitForEvents(1));
        EXPECT_EQ(1u, g_mapHttpThreads.count(nId));
        std::string text = log.Text();
        EXPECT_NE(std::string::npos, text.find(ResultLine(nId, 1)));
        EXPECT_EQ(std::string::npos, text.find("退出"));
    }
    ASSERT_TRUE(WaitForThreadsToEnd());
    {
        MyLock::AutoLock hold(&g_lockHttpThreads);
        EXPECT_EQ(0u, g_mapHttpThreads.count(nId));
    }
    std::string text = log.Text();
    size_t nExit = text.find("CHttpMgr::HttpThreadProc 线程 threadid=[");
    ASSERT_NE(std::string::npos, nExit);
    EXPECT_NE(std::string::npos, text.find("] 退出", nExit));
    EXPECT_LT(text.find(ResultLine(nId, 1)), nExit);
}

TEST_F(HttpMgr, EmptyOkAnswerGivesSuccessAndEmptyText) {
    StderrCapture log;
    int nId = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"", 0);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_TRUE(m_events[0].strResponse.empty());
    ASSERT_TRUE(WaitForThreadsToEnd());
    EXPECT_NE(std::string::npos, log.Text().find(ResultLine(nId, 1) + "]"));
}

TEST_F(HttpMgr, ErrorAnswerStillFiresWithItsBody) {
    StderrCapture log;
    int nId = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/broken")), L"a=1", 3);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(L"statistics down", m_events[0].strResponse);
    EXPECT_EQ(3, m_events[0].param);
    ASSERT_TRUE(WaitForThreadsToEnd());
    EXPECT_NE(std::string::npos, log.Text().find(ResultLine(nId, 0) + "statistics down]"));
}

TEST_F(HttpMgr, RefusedConnectionFiresEmptyEvent) {
    StderrCapture log;
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(RefusedPort()) + L"/stats";
    int nId = CHttpMgr::GetInstance()->PostAsync(url, L"a=1", 0);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_TRUE(m_events[0].strResponse.empty());
    ASSERT_TRUE(WaitForThreadsToEnd());
    std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find(ResultLine(nId, 0) + "]"));
    EXPECT_NE(std::string::npos, text.find("lResCode=7 ]\n"));
}

TEST_F(HttpMgr, ClientWithoutHandleStillFiresEvent) {
    StderrCapture log;
    FailCurlEasyInit(true);
    int nId = CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"a=1", 0);
    ASSERT_TRUE(WaitForEvents(1));
    FailCurlEasyInit(false);
    EXPECT_EQ(nId, m_events[0].userid);
    ASSERT_TRUE(WaitForThreadsToEnd());
    std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find("[curl_easy_init() failed: m_pCurl == NULL]\n"));
    EXPECT_NE(std::string::npos, text.find(ResultLine(nId, 0) + "]"));
}

TEST_F(HttpMgr, ThreadWithoutRecordLogsAndEnds) {
    StderrCapture log;
    EXPECT_EQ(0u, CHttpMgr::HttpThreadProc(nullptr));
    EXPECT_NE(std::string::npos,
              log.Text().find("CHttpMgr::HttpThreadProc 线程参数有问题 threadid=["));
    SOUI::RunLoopFor(20);
    EXPECT_TRUE(m_events.empty());
}

TEST_F(HttpMgr, ConcurrentPostsGetDistinctConsecutiveIds) {
    const int nBefore = g_nHttpRequestId;
    constexpr int kPerThread = 10;
    std::vector<int> ids[2];
    std::atomic<int> nReady{0};
    auto poster = [&](std::vector<int>& out) {
        ++nReady;
        while (nReady < 2)
            std::this_thread::yield();
        for (int i = 0; i < kPerThread; ++i)
            out.push_back(CHttpMgr::GetInstance()->PostAsync(Wide(m_server.Url("/empty")), L"", i));
    };
    std::thread a(poster, std::ref(ids[0]));
    std::thread b(poster, std::ref(ids[1]));
    a.join();
    b.join();
    std::set<int> all(ids[0].begin(), ids[0].end());
    all.insert(ids[1].begin(), ids[1].end());
    ASSERT_EQ(2u * kPerThread, all.size());
    EXPECT_EQ(nBefore + 1, *all.begin());
    EXPECT_EQ(nBefore + 2 * kPerThread, *all.rbegin());
    ASSERT_TRUE(WaitForEvents(2 * kPerThread));
    std::set<int> fired;
    for (const HttpEventCopy& e : m_events)
        fired.insert(e.userid);
    EXPECT_EQ(all, fired);
}

TEST_F(HttpMgr, TwoThreadsGetTheSameInstance) {
    std::atomic<int> nReady{0};
    CHttpMgr* seen[2] = {nullptr, nullptr};
    auto asker = [&](int i) {
        ++nReady;
        while (nReady < 2)
            std::this_thread::yield();
        seen[i] = CHttpMgr::GetInstance();
    };
    std::thread a(asker, 0);
    std::thread b(asker, 1);
    a.join();
    b.join();
    ASSERT_NE(nullptr, seen[0]);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], CHttpMgr::GetInstance());
    EXPECT_STREQ(L"on_httpcallback", EventHttpCallBack::EventName);
    EXPECT_EQ(10000002, EventHttpCallBack::EventID);
}

// Runs for the manager's real 15 s; CTest starts it apart from the others.
TEST_F(HttpMgr, NeverAnsweringServerEndsAfterFifteenSeconds) {
    SilentListener silent;
    ASSERT_GT(silent.Port(), 0);
    StderrCapture log;
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(silent.Port()) + L"/stats";
    int nId = CHttpMgr::GetInstance()->PostAsync(url, L"info=x", 0);
    ASSERT_TRUE(WaitForEvents(1, 60000));
    EXPECT_TRUE(m_events[0].strResponse.empty());
    ASSERT_TRUE(WaitForThreadsToEnd());
    std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find("lResCode=28 ]\n"));
    EXPECT_NE(std::string::npos, text.find(ResultLine(nId, 0) + "]"));
}

}  // namespace
}  // namespace httptest
