#pragma once
#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "http/AppExit.h"
#include "http/CLibcurlDownCallback.h"
#include "http/CurlResult.h"

class CCancelToken;

// Synchronous HTTP client over one libcurl easy handle, used for exactly one
// transfer on one thread. Every failure is logged and returned in the result.
//
// Result codes: 200 success (libcurl completed the transfer and the status
// is 200); an HTTP error status (400 and up) as received; the CURLcode when
// libcurl failed otherwise (7 refused, 28 time-out, 47 too many redirects,
// 60 untrusted certificate, 23 write error); -1 / -2 the client's own
// failures. A cancelled token gives CURLE_ABORTED_BY_CALLBACK (42).
class ClusterCurl {
public:
    ClusterCurl();
    ~ClusterCurl();
    ClusterCurl(const ClusterCurl&) = delete;
    ClusterCurl& operator=(const ClusterCurl&) = delete;

    // Once per process, before any client exists / after the last one is gone.
    static bool globalInit();
    static void globalCleanup();

    // Also arms the process-wide stop flag: once set, no more reports and no rename.
    void setDownCallback(CLibcurlDownCallback* receiver);
    // A cancelled token aborts the running transfer within about a second and
    // keeps a download from starting; the token must outlive the transfer.
    void setCancelToken(const CCancelToken* pToken);
    bool addHeader(const std::string& name, const std::string& value);

    // The answer's body is appended to `response`.
    CurlResult httpGet(const std::string& url, std::string& response);
    // Sends `body` byte for byte as a URL-encoded form.
    CurlResult httpPost(const std::string& url, const std::string& body, std::string& response);
    // Downloads into saveDir/fileName through saveDir/fileName.temp.
    CurlResult downloadFile(const std::string& url, const std::string& fileName,
                            const std::string& saveDir);

    int m_nConnectTimeout;  // seconds
    int m_nTimeout;         // seconds, whole transfer

private:
    static size_t httpDataWriter(char* data, size_t size, size_t count, void* target);
    static size_t fileDataWriter(char* data, size_t size, size_t count, void* client);
    static int downloadProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow,
                                curl_off_t ulTotal, curl_off_t ulNow);
    static int cancelProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow,
                              curl_off_t ulTotal, curl_off_t ulNow);
    int onDownProgress(double dlTotal, double dlNow);
    bool isCancelled() const;

    CurlResult noHandleResult() const;
    CurlResult cancelledResult() const;
    void setCommonOptions();
    void armCancelCheck();
    CURLcode performTransfer();
    CurlResult performAndCollect();
    void renameIntoPlace(const std::string& tempPath, const std::string& targetPath,
                         CurlResult& result);

    CURL* m_pCurl;
    curl_slist* m_pHeaders;
    int m_nTaskId;
    CLibcurlDownCallback* m_pCallback;
    const std::atomic<unsigned char>* m_pStopFlag;
    double m_dLastProgress;
    const CCancelToken* m_pCancel;
    // A receiver threw inside libcurl's callback; the transfer was aborted.
    bool m_bReceiverThrew;
    // The file a download writes into, and why its last write fell short.
    FILE* m_pFile = nullptr;
    int m_nWriteErrno = 0;
};
