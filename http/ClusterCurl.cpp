#include "http/ClusterCurl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "platform/CCancelToken.h"
#include "platform/WriteLog.h"

namespace {

constexpr size_t kMessageBytes = 1024;
constexpr int kRenameAttempts = 1800;
constexpr int kRenamePauseMs = 100;
constexpr long kMaxRedirects = 30;
constexpr long kDownloadBufferBytes = 100 * 1024;
constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; zh-CN; rv:1.9.2.3) Gecko/20100401 Firefox/3.6.3";

bool PathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Never replaces an existing target. File systems without renameat2 flags
// get link + unlink, which refuses an existing target the same way.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (link(from.c_str(), to.c_str()) != 0)
        return -1;
    unlink(from.c_str());
    return 0;
}

// As fopen "wb", but never through a symbolic link planted at the name, and
// not inherited by child processes started meanwhile.
FILE* OpenForWriting(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        int err = errno;
        close(fd);
        errno = err;
    }
    return file;
}

// On Linux only a busy mount point or executable is "held by another process".
bool IsHeldByOtherProcess(int err) {
    return err == EBUSY || err == ETXTBSY;
}

bool IsOutOfSpace(int err) {
    return err == ENOSPC || err == EDQUOT || err == EFBIG;
}

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

TransferFailure LocalFailure(int err) {
    return IsOutOfSpace(err) ? TransferFailure::DiskFull : TransferFailure::LocalFile;
}

}  // namespace

ClusterCurl::ClusterCurl()
    : m_nConnectTimeout(30),
      m_nTimeout(3600),
      m_pCurl(curl_easy_init()),
      m_pHeaders(nullptr),
      m_nTaskId(0),
      m_pCallback(nullptr),
      m_pStopFlag(nullptr),
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
    m_pStopFlag = &g_bAppExit;
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
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_nConnectTimeout));
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT, static_cast<long>(m_nTimeout));
    // Several clients run on different threads: time-outs must not use signals.
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
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

CurlResult ClusterCurl::performAndCollect() {
    CURLcode rc = performTransfer();
    CurlResult result;
    result.strMsg = curl_easy_strerror(rc);
    long status = 0;
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
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

size_t ClusterCurl::fileDataWriter(char* data, size_t size, size_t count, void* client) {
    auto* self = static_cast<ClusterCurl*>(client);
    errno = 0;
    const size_t nWritten = fwrite(data, size, count, self->m_pFile);
    // libcurl only learns that the write fell short; keep why, so a full
    // disk can be told from other failures.
    if (nWritten != count && self->m_nWriteErrno == 0)
        self->m_nWriteErrno = errno != 0 ? errno : EIO;
    return nWritten * size;
}

int ClusterCurl::cancelProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<ClusterCurl*>(client)->isCancelled() ? 1 : 0;
}

int ClusterCurl::downloadProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t,
                                  curl_off_t) {
    auto* self = static_cast<ClusterCurl*>(client);
    if (self->isCancelled())
        return 1;
    return self->onDownProgress(static_cast<double>(dlTotal), static_cast<double>(dlNow));
}

int ClusterCurl::onDownProgress(double dlTotal, double dlNow) {
    if (m_pCallback == nullptr)
        return 0;
    if (m_pStopFlag != nullptr && *m_pStopFlag != 0)
        return 0;
    // About one report per whole percent; every call while the size is unknown.
    int64_t step = static_cast<int64_t>(dlTotal * 0.01);
    int64_t advance = static_cast<int64_t>(dlNow - m_dLastProgress);
    if (advance < step)
        return 0;
    m_dLastProgress = dlNow;
    try {
        m_pCallback->OnDownProgress(1, m_nTaskId, dlTotal, dlNow);
    } catch (...) {
        m_bReceiverThrew = true;
        return 1;
    }
    return 0;
}

void ClusterCurl::renameIntoPlace(const std::string& tempPath, const std::string& targetPath,
                                  CurlResult& result) {
    char message[kMessageBytes];
    for (int attempt = 1; attempt <= kRenameAttempts; ++attempt) {
        if (m_pStopFlag != nullptr && *m_pStopFlag != 0)
            return;
        if (RenameNoReplace(tempPath, targetPath) == 0) {
            result.lResCode = 200;
            result.eFailure = TransferFailure::None;
            return;
        }
        int err = errno;
        bool bGiveUp = attempt == kRenameAttempts;
        if (IsHeldByOtherProcess(err)) {
            result.lResCode = -2;
            if (m_pCancel != nullptr) {
                if (!m_pCancel->SleepFor(kRenamePauseMs))
                    bGiveUp = true;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(kRenamePauseMs));
            }
        } else {
            result.lResCode = -1;
        }
        if (bGiveUp) {
            snprintf(message, sizeof(message), "rename error lasterror=[%d]", err);
            result.strMsg = message;
            result.eFailure = LocalFailure(err);
            WriteLogA("%s", message);
            return;
        }
    }
}

CurlResult ClusterCurl::downloadFile(const std::string& url, const std::string& fileName,
                                     const std::string& saveDir) {
    if (m_pCurl == nullptr)
        return noHandleResult();
    if (isCancelled())
        return cancelledResult();

    char message[kMessageBytes];
    CurlResult result{-1, "", TransferFailure::Other};
    FILE* file = nullptr;
    try {
        m_dLastProgress = 0;
        m_bReceiverThrew = false;
        if (!PathExists(saveDir)) {
            snprintf(message, sizeof(message), "save dir=%s is not exsit\xEF\xBC\x81",
                     saveDir.c_str());
            WriteLogA("%s", message);
            return {-1, message, TransferFailure::LocalFile};
        }
        const std::string targetPath = saveDir + "/" + fileName;
        const std::string tempPath = targetPath + ".temp";
        if (PathExists(targetPath))
            unlink(targetPath.c_str());
        if (PathExists(tempPath))
            unlink(tempPath.c_str());

        file = OpenForWriting(tempPath);
        if (file == nullptr) {
            const int err = errno;
            snprintf(message, sizeof(message), "downloadFile open file error(%d), %s", err,
                     targetPath.c_str());
            WriteLogA("%s", message);
            return {-1, message, LocalFailure(err)};
        }

        curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
        setCommonOptions();
        m_nWriteErrno = 0;
        curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::fileDataWriter);
        curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, this);
        m_pFile = file;
        // Fewer, larger reads and writes for packages of hundreds of MiB.
        curl_easy_setopt(m_pCurl, CURLOPT_BUFFERSIZE, kDownloadBufferBytes);
        curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &ClusterCurl::downloadProgress);
        curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, this);
        CurlResult transfer = performAndCollect();
        m_pFile = nullptr;
        if (transfer.lResCode == CURLE_WRITE_ERROR)
            transfer.eFailure = LocalFailure(m_nWriteErrno);

        if (m_bReceiverThrew)
            throw std::runtime_error("progress receiver");

        // Buffered bytes that never reached the disk make the file incomplete.
        int closeErr = 0;
        errno = 0;
        if (fflush(file) != 0 || ferror(file))
            closeErr = errno != 0 ? errno : EIO;
        if (fclose(file) != 0 && closeErr == 0)
            closeErr = errno;
        file = nullptr;

        result = transfer;
        if (result.lResCode == 200 && closeErr != 0) {
            snprintf(message, sizeof(message), "downloadFile close file error(%d), %s", closeErr,
                     targetPath.c_str());
            result = {-1, message, LocalFailure(closeErr)};
        }
        if (result.lResCode != 200) {
            WriteLogA("%s", result.strMsg.c_str());
            if (PathExists(tempPath))
                unlink(tempPath.c_str());
            return result;
        }
        renameIntoPlace(tempPath, targetPath, result);
    } catch (...) {
        int err = errno;
        m_pFile = nullptr;
        if (file != nullptr)
            fclose(file);
        snprintf(message, sizeof(message), "downloadFile api exception(%d)\n", err);
        result.strMsg = message;
        result.eFailure = TransferFailure::Other;
        WriteLogA("%s", message);
    }
    return result;
}
