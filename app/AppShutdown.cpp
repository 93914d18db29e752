#include "app/AppShutdown.h"

#include "http/CHttpMgr.h"
#include "http/ClusterCurl.h"
#include "platform/WriteLog.h"

bool EndRequests(int nWaitMs) {
    if (CHttpMgr::CancelAll(nWaitMs))
        return true;
    WriteLog(L"%s %d request threads still running after %d ms", L"AppShutdown::EndRequests",
             CHttpMgr::GetRunningCount(), nWaitMs);
    return false;
}

void EndTransfers() {
    const int nRunning = CHttpMgr::GetRunningCount();
    if (nRunning > 0) {
        WriteLog(L"%s libcurl left set up: %d request threads still running",
                 L"AppShutdown::EndTransfers", nRunning);
        return;
    }
    ClusterCurl::globalCleanup();
}
