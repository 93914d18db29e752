#include "HttpMgrFixture.h"

#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/SSlot.h"

namespace httptest {

void HttpMgr::SetUp() {
    m_loopThread = std::this_thread::get_id();
    m_pCenter = new SOUI::SNotifyCenter;
    m_pCenter->addEvent(EventHttpCallBack::EventID, EventHttpCallBack::EventName);
    m_pCenter->RegisterEventMap(SOUI::Subscriber(&HttpMgr::OnEvent, this));

    auto& http = m_server.Http();
    http.Post("/stats", [this](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard<std::mutex> lock(m_seenLock);
            m_strSeenTarget = req.target;
            m_strSeenBody = req.body;
        }
        res.set_content("\xE6\x94\xB6\xE5\x88\xB0:" + std::to_string(req.body.size()),
                        "text/plain; charset=utf-8");
    });
    http.Post("/empty", [](const httplib::Request&, httplib::Response& res) { res.status = 200; });
    http.Post("/broken", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("statistics down", "text/plain");
    });
    ASSERT_TRUE(m_server.Start());
}

void HttpMgr::TearDown() {
    EXPECT_TRUE(WaitForThreadsToEnd()) << "request threads still running";
    SOUI::RunLoopUntil([this] { return m_pCenter->GetPendingCount() == 0; }, 5000);
    m_pCenter->UnregisterEventMap(SOUI::Subscriber(&HttpMgr::OnEvent, this));
    delete m_pCenter;
}

bool HttpMgr::OnEvent(SOUI::EventArgs* pEvt) {
    if (pEvt->GetID() != EventHttpCallBack::EventID)
        return false;
    auto* pHttp = static_cast<EventHttpCallBack*>(pEvt);
    m_events.push_back({pHttp->userid, pHttp->param, pHttp->strResponse, pHttp->sender,
                        std::this_thread::get_id() == m_loopThread});
    return true;
}

bool HttpMgr::WaitForEvents(size_t n, int nTimeoutMs) {
    return SOUI::RunLoopUntil([this, n] { return m_events.size() >= n; }, nTimeoutMs);
}

bool HttpMgr::WaitForThreadsToEnd(int nTimeoutMs) {
    return SOUI::RunLoopUntil([] { return CHttpMgr::GetRunningCount() == 0; }, nTimeoutMs);
}

std::string HttpMgr::ResultLine(int nId, int bRet) {
    return "CHttpMgr::HttpThreadProc userid=[" + std::to_string(nId) + "] responseType=[0] bRet=[" +
           std::to_string(bRet) + "] resopnseData=[";
}

}  // namespace httptest
