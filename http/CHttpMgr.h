#pragma once
#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "http/HttpRequest.h"
#include "platform/MyLock.h"
#include "toolkit/core/SObjectImpl.h"

// Runs HTTP requests on threads of their own and announces each answer with
// EventHttpCallBack through the notification centre. One instance per
// process, never freed; it is the sender of every such event.
class CHttpMgr : public SOUI::SObjectImpl<SOUI::IObject> {
public:
    static CHttpMgr* GetInstance();

    // Starts a form POST; returns its request id, or -1 when no thread could
    // be started. Returns before the request is sent. Any thread. A proxy
    // given overrides the environment's (ClusterCurl::m_strProxy).
    int PostAsync(const std::wstring& url, const std::wstring& data, int param,
                  const std::wstring& proxy = std::wstring());

    // Thread procedure of one request; takes over and frees `request`.
    static unsigned HttpThreadProc(HttpRequest* request);

    // For shutdown: aborts the requests under way, keeps later ones from
    // reaching the network and any of them from firing an event, then waits
    // up to nWaitMs for their threads to end. True when none is left.
    static bool CancelAll(int nWaitMs);
    // Request threads not yet ended (they outlive their table entry briefly).
    static int GetRunningCount();

    const wchar_t* GetObjectClass() const override { return L"httpmgr"; }

protected:
    ~CHttpMgr() override = default;

private:
    CHttpMgr() = default;
};

// Id of the most recent request; the first request gets 1.
extern std::atomic<int> g_nHttpRequestId;
// Requests whose thread has started and not yet finished, under
// g_lockHttpThreads. These objects are never destroyed: request threads may
// outlive main().
extern std::map<int, std::thread>& g_mapHttpThreads;
extern MyLock::Mutex& g_lockHttpThreads;
extern MyLock::Mutex& g_lockHttpInstance;
