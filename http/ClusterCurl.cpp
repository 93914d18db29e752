#include "http/ClusterCurl.h"

#include <cerrno>
#include <cstdlib>

#include "http/CTrustStore.h"
#include "platform/CCancelToken.h"
#include "platform/WriteLog.h"

namespace {

constexpr long kMaxRedirects = 30;
// A certificate authority file trusted instead of the system's store: only
// for tests against a local server, and ignored in a set-id process.
constexpr const char* kTestCaFileVariable = "TOVADOC_TEST_CAINFO";
constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; zh-CN; rv:1.9.2.3) Gecko/20100401 Firefox/3.6.3";

TransferFailure ClassifyCurlCode(CURLcode rc) {
    switch (rc) {
        case CURLE_OK:
            return TransferFailure::None;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return TransferFailure::Unreachable;
        case CURLE_OPERATION_TIMEDOUT:
            return TransferFailure::TimedOut;
        case CURLE_PARTIAL_FILE:
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
            return TransferFailure::CutOff;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return TransferFailure::Certificate;
        case CURLE_WRITE_ERROR:
            return TransferFailure::LocalFile;
        case CURLE_ABORTED_BY_CALLBACK:
            return TransferFailure::Cancelled;
        default:
            return TransferFailure::Other;
    }
}

}  // namespace

ClusterCurl::ClusterCurl()
    : m_nConnectTimeout(30),
      m_nTimeout(3600),
      m_pCurl(curl_easy_init()),
      m_pHeaders(nullptr),
      m_nTaskId(0),
      m_pCallback(nullptr),
      m_pStopFlag(&g_bAppExit),
      m_dLastProgress(0),
      m_pCancel(nullptr),
      m_bReceiverThrew(false) {
    if (m_pCurl == nullptr)
        WriteLogA("curl_easy_init() failed: %d\n", errno);
}

ClusterCurl::~ClusterCurl() {
    if (m_pHeaders)
        curl_slist_free_all(m_pHeaders);
    if (m_pCurl)
        curl_easy_cleanup(m_pCurl);
}

bool ClusterCurl::globalInit() {
    CURLcode rc = curl_global_init(CURL_GLOBAL_ALL);
    if (rc != CURLE_OK) {
        WriteLogA("curl_global_init() failed: %s\n", curl_easy_strerror(rc));
        return false;
    }
    return true;
}

void ClusterCurl::globalCleanup() {
    curl_global_cleanup();
}

void ClusterCurl::setDownCallback(CLibcurlDownCallback* receiver) {
    m_nTaskId = 0;
    m_pCallback = receiver;
}

void ClusterCurl::setCancelToken(const CCancelToken* pToken) {
    m_pCancel = pToken;
}

bool ClusterCurl::addHeader(const std::string& name, const std::string& value) {
    if (name.empty() || m_pCurl == nullptr)
        return false;
    std::string line = name + ": " + value;
    curl_slist* list = curl_slist_append(m_pHeaders, line.c_str());
    if (list == nullptr)
        return false;
    m_pHeaders = list;
    return curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, m_pHeaders) == CURLE_OK;
}

void ClusterCurl::setExpectedSha256(const std::string& strHex) {
    m_strExpectedSha256 = strHex;
}

bool ClusterCurl::isCancelled() const {
    return m_pCancel != nullptr && m_pCancel->IsCancelled();
}

CurlResult ClusterCurl::noHandleResult() const {
    WriteLogA("curl_easy_init() failed: m_pCurl == NULL\n");
    return {-1, "m_pCurl == NULL", TransferFailure::Other};
}

CurlResult ClusterCurl::cancelledResult() const {
    CurlResult result{CURLE_ABORTED_BY_CALLBACK, curl_easy_strerror(CURLE_ABORTED_BY_CALLBACK),
                      TransferFailure::Cancelled};
    WriteLogA("curl send msg error: pRes=%s, lResCode=%ld \n", result.strMsg.c_str(),
              result.lResCode);
    return result;
}

void ClusterCurl::setCommonOptions() {
    curl_easy_setopt(m_pCurl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(m_pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    // A redirect loop must end with an error rather than at the time-out.
    curl_easy_setopt(m_pCurl, CURLOPT_MAXREDIRS, kMaxRedirects);
    // Installers are executed after download: the peer must be who it claims.
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_VERIFYHOST, 2L);
    const char* szTestCa = secure_getenv(kTestCaFileVariable);
    if (szTestCa != nullptr && *szTestCa != '\0') {
        curl_easy_setopt(m_pCurl, CURLOPT_CAINFO, szTestCa);
    } else {
        useSystemTrustStore();
    }
    if (!m_strProxy.empty()) {
        curl_easy_setopt(m_pCurl, CURLOPT_PROXY, m_strProxy.c_str());
        // The distributor's proxy is for every host: no_proxy does not apply.
        curl_easy_setopt(m_pCurl, CURLOPT_NOPROXY, "");
    }
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_nConnectTimeout));
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT, static_cast<long>(m_nTimeout));
    // Several clients run on different threads: time-outs must not use signals.
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
}

void ClusterCurl::useSystemTrustStore() {
    const CTrustStore store = CTrustStore::System();
    m_bNoTrustStore = !store.IsFound();
    if (m_bNoTrustStore) {
        // Nothing to verify a peer against: HTTPS is refused before any
        // connection (an unverified transfer is never made); HTTP goes on.
        WriteLogA("ClusterCurl::useSystemTrustStore no certificates found: HTTPS refused\n");
#if LIBCURL_VERSION_NUM >= 0x075500
        curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(m_pCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
#else
        curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
        curl_easy_setopt(m_pCurl, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
#endif
        return;
    }
    // Only what was found: a built-in path of the TLS library that does not
    // exist here would fail the transfer.
    curl_easy_setopt(m_pCurl, CURLOPT_CAINFO,
                     store.m_strFile.empty() ? nullptr : store.m_strFile.c_str());
    curl_easy_setopt(m_pCurl, CURLOPT_CAPATH,
                     store.m_strDir.empty() ? nullptr : store.m_strDir.c_str());
}

void ClusterCurl::armCancelCheck() {
    if (m_pCancel == nullptr)
        return;
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &ClusterCurl::cancelProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, this);
}

CURLcode ClusterCurl::performTransfer() {
    if (m_pCancel == nullptr || m_pCancel->GetFd() < 0)
        return curl_easy_perform(m_pCurl);
    // The same transfer as curl_easy_perform, but the wait also wakes on the
    // token, so a stalled transfer ends at once instead of at the next
    // progress call.
    CURLM* multi = curl_multi_init();
    if (multi == nullptr)
        return curl_easy_perform(m_pCurl);
    CURLcode rc = CURLE_OK;
    if (curl_multi_add_handle(multi, m_pCurl) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return curl_easy_perform(m_pCurl);
    }
    curl_waitfd cancelFd{m_pCancel->GetFd(), CURL_WAIT_POLLIN, 0};
    int nRunning = 1;
    bool bDone = false;
    while (!bDone) {
        if (curl_multi_perform(multi, &nRunning) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        int nQueued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &nQueued)) {
            if (msg->msg == CURLMSG_DONE) {
                rc = msg->data.result;
                bDone = true;
            }
        }
        if (bDone)
            break;
        if (nRunning == 0) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        if (m_pCancel->IsCancelled()) {
            rc = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(multi, &cancelFd, 1, 1000, nullptr);
    }
    curl_multi_remove_handle(multi, m_pCurl);
    curl_multi_cleanup(multi);
    return rc;
}

CurlResult ClusterCurl::performAndCollect(bool bPartialIsSuccess) {
    CURLcode rc = performTransfer();
    CurlResult result;
    result.strMsg = curl_easy_strerror(rc);
    long status = 0;
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
    // The rest of a resumed download completes what the first 200 began.
    if (bPartialIsSuccess && rc == CURLE_OK && status == 206)
        status = 200;
    result.lResCode = status;
    result.eFailure = TransferFailure::None;
    if (rc != CURLE_OK || status != 200) {
        // A status counts only for an answer libcurl completed. An error
        // status already received is kept: it says more than the library code.
        bool keepStatus = status >= 400 && rc != CURLE_ABORTED_BY_CALLBACK;
        result.eFailure = TransferFailure::HttpStatus;
        if (status == 0 || (rc != CURLE_OK && !keepStatus)) {
            result.lResCode = rc;
            result.eFailure = ClassifyCurlCode(rc);
            if (rc == CURLE_UNSUPPORTED_PROTOCOL && m_bNoTrustStore)
                result.eFailure = TransferFailure::NoTrustStore;
        }
        WriteLogA("curl send msg error: pRes=%s, lResCode=%ld \n", result.strMsg.c_str(),
                  result.lResCode);
    }
    return result;
}

CurlResult ClusterCurl::httpGet(const std::string& url, std::string& response) {
    if (m_pCurl == nullptr)
        return noHandleResult();
    if (isCancelled())
        return cancelledResult();
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    setCommonOptions();
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::httpDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &response);
    armCancelCheck();
    return performAndCollect();
}

CurlResult ClusterCurl::httpPost(const std::string& url, const std::string& body,
                                 std::string& response) {
    if (m_pCurl == nullptr)
        return noHandleResult();
    if (isCancelled())
        return cancelledResult();
    curl_easy_setopt(m_pCurl, CURLOPT_POST, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    addHeader("Content-Type", "application/x-www-form-urlencoded");
    setCommonOptions();
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::httpDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &response);
    if (body.empty()) {
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, "");
    } else {
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    armCancelCheck();
    return performAndCollect();
}

size_t ClusterCurl::httpDataWriter(char* data, size_t size, size_t count, void* target) {
    if (target == nullptr) {
        WriteLogA("ClusterCurl httpDataWriter data error(%d) \n", errno);
        return 0;
    }
    // Nothing may unwind through libcurl; a failed append aborts the transfer.
    try {
        static_cast<std::string*>(target)->append(data, size * count);
    } catch (...) {
        WriteLogA("ClusterCurl httpDataWriter data error(%d) \n", ENOMEM);
        return 0;
    }
    return size * count;
}

int ClusterCurl::cancelProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<ClusterCurl*>(client)->isCancelled() ? 1 : 0;
}
