#pragma once
#include <curl/curl.h>
#include <sys/types.h>

#include <string>

#include "http/CLibcurlDownCallback.h"
#include "http/CResponseHeaders.h"
#include "http/CurlResult.h"
#include "platform/AppExit.h"

class CCancelToken;
class CPartialFile;

// Synchronous HTTP client over one libcurl easy handle, used for exactly one
// transfer on one thread. Every failure is logged and returned in the result.
//
// Result codes: 200 success (libcurl completed the transfer and the status
// is 200); an HTTP error status (400 and up) as received; the CURLcode when
// libcurl failed otherwise (7 refused, 28 time-out, 47 too many redirects,
// 60 untrusted certificate, 23 write error or full disk); -1 / -2 the
// client's own failures (a hash mismatch or an unusable pin among them). A
// cancelled token gives CURLE_ABORTED_BY_CALLBACK (42).
//
// A download keeps the file it replaces until the new one is complete and,
// when a SHA-256 is expected, verified. With m_nRetries it tries again after
// a transient failure, resuming the bytes it has when the server allows.
class ClusterCurl {
public:
    ClusterCurl();
    ~ClusterCurl();
    ClusterCurl(const ClusterCurl&) = delete;
    ClusterCurl& operator=(const ClusterCurl&) = delete;

    // Once per process, before any client exists / after the last one is gone.
    static bool globalInit();
    static void globalCleanup();

    // Once the process-wide g_bAppExit is set, a download reports no more and
    // is not renamed into place, whether or not it has a receiver.
    void setDownCallback(CLibcurlDownCallback* receiver);
    // A cancelled token aborts the running transfer within about a second and
    // keeps a download from starting; the token must outlive the transfer.
    void setCancelToken(const CCancelToken* pToken);
    bool addHeader(const std::string& name, const std::string& value);
    // Downloads only: the SHA-256 the file must have (64 hex digits, any
    // case), hashed while the bytes arrive; empty for none. Any other text
    // makes every download fail (BadPin) without touching the network.
    void setExpectedSha256(const std::string& strHex);

    // The answer's body is appended to `response`.
    CurlResult httpGet(const std::string& url, std::string& response);
    // Sends `body` byte for byte as a URL-encoded form.
    CurlResult httpPost(const std::string& url, const std::string& body, std::string& response);
    // Downloads into saveDir/fileName through saveDir/fileName.temp.
    CurlResult downloadFile(const std::string& url, const std::string& fileName,
                            const std::string& saveDir);

    int m_nConnectTimeout;  // seconds
    int m_nTimeout;         // seconds, whole transfer (every attempt of a download)
    // Downloads: further attempts after a transient failure.
    int m_nRetries = 0;
    // Pause before the first retry; it doubles for each further one.
    int m_nRetryPauseMs = 1000;
    // The longest pause, also for a server's Retry-After.
    int m_nMaxRetryPauseMs = 30000;
    // Downloads: an attempt that receives nothing for this long ends as
    // timed out, so that a retry can follow; 0 for no such limit.
    int m_nStallSeconds = 0;
    // Proxy for every transfer, overriding the environment's (no_proxy
    // included); empty: https_proxy, http_proxy, all_proxy, no_proxy.
    std::string m_strProxy;

private:
    static size_t httpDataWriter(char* data, size_t size, size_t count, void* target);
    static size_t fileDataWriter(char* data, size_t size, size_t count, void* client);
    static size_t headerReader(char* data, size_t size, size_t count, void* client);
    static int downloadProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow,
                                curl_off_t ulTotal, curl_off_t ulNow);
    static int cancelProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow,
                              curl_off_t ulTotal, curl_off_t ulNow);
    int onDownProgress(double dlTotal, double dlNow);
    bool isCancelled() const;

    CurlResult noHandleResult() const;
    CurlResult cancelledResult() const;
    void setCommonOptions();
    // CAINFO / CAPATH from CTrustStore; without a store, HTTP only.
    void useSystemTrustStore();
    void armCancelCheck();
    CURLcode performTransfer();
    CurlResult performAndCollect(bool bPartialIsSuccess = false);
    CurlResult transferWithRetries(const std::string& url);
    CurlResult transferAttempt(long long nTimeoutMs);
    bool startBody();
    bool pauseBeforeRetry(int nPauseMs);
    void renameIntoPlace(const std::string& tempPath, const std::string& targetPath,
                         bool bReplaceOld, dev_t oldDev, ino_t oldIno, CurlResult& result);

    CURL* m_pCurl;
    curl_slist* m_pHeaders;
    int m_nTaskId;
    CLibcurlDownCallback* m_pCallback;
    // g_bAppExit, read only.
    const CCancelToken* m_pStopFlag;
    double m_dLastProgress;
    const CCancelToken* m_pCancel;
    // A receiver threw inside libcurl's callback; the transfer was aborted.
    bool m_bReceiverThrew;
    // The file a download writes into, and why its last write fell short.
    CPartialFile* m_pFile = nullptr;
    int m_nWriteErrno = 0;
    std::string m_strExpectedSha256;
    // The answers of the download under way: the one that started the file
    // (resuming needs its validators) and the current one.
    CResponseHeaders m_fileHeaders;
    CResponseHeaders m_headers;
    // The current attempt: the byte it asked to start at, and what it met.
    long long m_nResumeFrom = 0;
    bool m_bBodyStarted = false;
    bool m_bDiscardBody = false;
    bool m_bRangeRefused = false;
    // The file holds parts of more than one answer; and a download that
    // must be taken whole, in one answer.
    bool m_bResumed = false;
    bool m_bNoResume = false;
    // No certificates were found for this transfer (HTTPS refused).
    bool m_bNoTrustStore = false;
    // Progress over all attempts, so the reports never go back.
    double m_dKnownTotal = 0;
    double m_dReportedFraction = 0;
};
