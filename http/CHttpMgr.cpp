#include "http/CHttpMgr.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <system_error>

#include "http/ClusterCurl.h"
#include "http/EventHttpCallBack.h"
#include "platform/CCancelToken.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "toolkit/core/SNotifyCenter.h"

namespace {

constexpr int kConnectTimeoutSeconds = 5;
constexpr int kTransferTimeoutSeconds = 15;

std::atomic<CHttpMgr*> g_pInstance{nullptr};

// What shutdown needs to stop the request threads and know they are gone.
struct RequestThreads {
    CCancelToken cancel;
    std::mutex lock;
    std::condition_variable idle;
    int nAlive = 0;
};

// Never destroyed, like the table: a request thread may outlive main().
RequestThreads& Threads() {
    static RequestThreads* pThreads = new RequestThreads;
    return *pThreads;
}

int CurrentThreadId() {
    return static_cast<int>(gettid());
}

void ThreadEnded() {
    RequestThreads& threads = Threads();
    std::lock_guard<std::mutex> lock(threads.lock);
    --threads.nAlive;
    threads.idle.notify_all();
}

}  // namespace

std::atomic<int> g_nHttpRequestId{0};
std::map<int, std::thread>& g_mapHttpThreads = *new std::map<int, std::thread>;
MyLock::Mutex& g_lockHttpThreads = *new MyLock::Mutex;
MyLock::Mutex& g_lockHttpInstance = *new MyLock::Mutex;

CHttpMgr* CHttpMgr::GetInstance() {
    CHttpMgr* pInstance = g_pInstance.load(std::memory_order_acquire);
    if (pInstance != nullptr)
        return pInstance;
    MyLock::AutoLock lock(&g_lockHttpInstance);
    pInstance = g_pInstance.load(std::memory_order_relaxed);
    if (pInstance == nullptr) {
        pInstance = new CHttpMgr;
        g_pInstance.store(pInstance, std::memory_order_release);
    }
    return pInstance;
}

int CHttpMgr::PostAsync(const std::wstring& url, const std::wstring& data, int param,
                        const std::wstring& proxy) {
    const int nId = ++g_nHttpRequestId;
    auto* pRequest =
        new HttpRequest{WideToAnsi(url), WideToAnsi(data), nId, 0, param, WideToAnsi(proxy)};

    // The thread waits at the gate until its table entry exists, so its own
    // clean-up always finds the entry.
    std::promise<void> gate;
    std::future<void> opened = gate.get_future();
    {
        std::lock_guard<std::mutex> lock(Threads().lock);
        ++Threads().nAlive;
    }
    std::thread thread;
    try {
        thread = std::thread([pRequest, opened = std::move(opened)]() mutable {
            opened.wait();
            HttpThreadProc(pRequest);
            ThreadEnded();
        });
    } catch (const std::system_error& e) {
        delete pRequest;
        ThreadEnded();
        WriteLog(L"%s thread not started userid=[%d] error=[%d]", L"CHttpMgr::PostAsync", nId,
                 e.code().value());
        return -1;
    }
    {
        MyLock::AutoLock lock(&g_lockHttpThreads);
        g_mapHttpThreads.emplace(nId, std::move(thread));
    }
    gate.set_value();
    return nId;
}

unsigned CHttpMgr::HttpThreadProc(HttpRequest* request) {
    if (request == nullptr) {
        WriteLog(L"%s 线程参数有问题 threadid=[%d]", L"CHttpMgr::HttpThreadProc",
                 CurrentThreadId());
        return 0;
    }
    std::unique_ptr<HttpRequest> pRequest(request);
    RequestThreads& threads = Threads();

    std::string response;
    bool bRet = false;
    {
        ClusterCurl client;
        client.m_nConnectTimeout = kConnectTimeoutSeconds;
        client.m_nTimeout = kTransferTimeoutSeconds;
        client.m_strProxy = pRequest->proxy;
        client.setCancelToken(&threads.cancel);
        CurlResult result = pRequest->responseType == 0
                                ? client.httpPost(pRequest->url, pRequest->data, response)
                                : client.httpGet(pRequest->url, response);
        bRet = result.lResCode == 200;
    }

    std::wstring strResponse = AnsiToWide(response);
    WriteLog(L"%s userid=[%d] responseType=[%d] bRet=[%d] resopnseData=[%s]",
             L"CHttpMgr::HttpThreadProc", pRequest->userid, pRequest->responseType, bRet ? 1 : 0,
             strResponse.c_str());

    {
        // Under the shutdown lock: once CancelAll has cancelled, nothing fires.
        std::lock_guard<std::mutex> lock(threads.lock);
        SOUI::SNotifyCenter* pCenter = SOUI::SNotifyCenter::getSingletonPtr();
        if (!threads.cancel.IsCancelled() && pCenter != nullptr) {
            auto* pEvt = new EventHttpCallBack(GetInstance());
            pEvt->userid = pRequest->userid;
            pEvt->param = pRequest->param;
            pEvt->strResponse = std::move(strResponse);
            pCenter->FireEventAsync(pEvt);
        } else if (pCenter == nullptr) {
            WriteLog(L"%s no notification centre, no event userid=[%d]",
                     L"CHttpMgr::HttpThreadProc", pRequest->userid);
        }
    }

    std::thread self;
    {
        MyLock::AutoLock lock(&g_lockHttpThreads);
        auto it = g_mapHttpThreads.find(pRequest->userid);
        if (it != g_mapHttpThreads.end()) {
            self = std::move(it->second);
            g_mapHttpThreads.erase(it);
        }
    }
    if (self.joinable())
        self.detach();

    pRequest.reset();
    WriteLog(L"%s 线程 threadid=[%d] 退出", L"CHttpMgr::HttpThreadProc", CurrentThreadId());
    return 0;
}

bool CHttpMgr::CancelAll(int nWaitMs) {
    RequestThreads& threads = Threads();
    std::unique_lock<std::mutex> lock(threads.lock);
    threads.cancel.Cancel();
    return threads.idle.wait_for(lock, std::chrono::milliseconds(nWaitMs),
                                 [&threads] { return threads.nAlive == 0; });
}

int CHttpMgr::GetRunningCount() {
    RequestThreads& threads = Threads();
    std::lock_guard<std::mutex> lock(threads.lock);
    return threads.nAlive;
}
