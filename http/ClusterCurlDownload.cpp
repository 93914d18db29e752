// ClusterCurl::downloadFile: the temporary file, the attempts and their
// resumption, the pin check and the move into place.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "http/CPartialFile.h"
#include "http/ClusterCurl.h"
#include "http/RetryPolicy.h"
#include "platform/CCancelToken.h"
#include "platform/Sha256.h"
#include "platform/WriteLog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMessageBytes = 1024;
constexpr int kRenameAttempts = 1800;
constexpr int kRenamePauseMs = 100;
constexpr long kDownloadBufferBytes = 100 * 1024;

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

// On Linux only a busy mount point or executable is "held by another process".
bool IsHeldByOtherProcess(int err) {
    return err == EBUSY || err == ETXTBSY;
}

bool IsOutOfSpace(int err) {
    return err == ENOSPC || err == EDQUOT || err == EFBIG;
}

TransferFailure LocalFailure(int err) {
    return IsOutOfSpace(err) ? TransferFailure::DiskFull : TransferFailure::LocalFile;
}

long long MillisecondsLeft(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

}  // namespace

size_t ClusterCurl::headerReader(char* data, size_t size, size_t count, void* client) {
    static_cast<ClusterCurl*>(client)->m_headers.OnHeaderLine(data, size * count);
    return size * count;
}

size_t ClusterCurl::fileDataWriter(char* data, size_t size, size_t count, void* client) {
    auto* self = static_cast<ClusterCurl*>(client);
    const size_t nBytes = size * count;
    if (!self->m_bBodyStarted && !self->startBody())
        return 0;
    if (self->m_bDiscardBody)
        return nBytes;
    int nErr = 0;
    if (!self->m_pFile->Append(data, nBytes, nErr)) {
        // libcurl only learns that the write fell short; keep why, so a
        // full disk can be told from other failures.
        if (self->m_nWriteErrno == 0)
            self->m_nWriteErrno = nErr;
        return 0;
    }
    return nBytes;
}

bool ClusterCurl::startBody() {
    m_bBodyStarted = true;
    long status = 0;
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
    if (m_nResumeFrom > 0 && status == 206) {
        // Joined only to its own file: the rest of it from the byte asked
        // for, of the same size, of the same version (a server may ignore
        // If-Range). Without a validator only a pin can tell, and does.
        const int64_t nTotal = m_fileHeaders.TotalLength();
        const char* szWrong = nullptr;
        if (m_headers.RangeStart() != m_nResumeFrom)
            szWrong = "another byte";
        else if (m_headers.TotalLength() != nTotal || m_headers.RangeEnd() != nTotal - 1)
            szWrong = "another size";
        else if (!m_fileHeaders.IfRangeValue().empty() && !m_headers.SameVersionAs(m_fileHeaders))
            szWrong = "another version";
        else if (m_fileHeaders.IfRangeValue().empty() && m_strExpectedSha256.empty())
            szWrong = "no version";
        if (szWrong == nullptr) {
            m_bResumed = true;
            return true;
        }
        // Splicing it in would corrupt the file.
        WriteLogA(
            "ClusterCurl::downloadFile asked for byte %lld on, got a part of %s (%lld-%lld/%lld)\n",
            m_nResumeFrom, szWrong, static_cast<long long>(m_headers.RangeStart()),
            static_cast<long long>(m_headers.RangeEnd()),
            static_cast<long long>(m_headers.TotalLength()));
        m_bRangeRefused = true;
        return false;
    }
    if (status != 200) {
        // An error page is no part of the file.
        m_bDiscardBody = true;
        return true;
    }
    if (m_pFile->Size() > 0) {
        // A whole body: the resource changed, or the server ignores ranges.
        WriteLogA("ClusterCurl::downloadFile the whole file comes again; %lld bytes dropped\n",
                  static_cast<long long>(m_pFile->Size()));
        int nErr = 0;
        if (!m_pFile->Restart(nErr)) {
            m_nWriteErrno = nErr;
            return false;
        }
        m_bResumed = false;
    }
    m_fileHeaders = m_headers;
    return true;
}

int ClusterCurl::downloadProgress(void* client, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t,
                                  curl_off_t) {
    auto* self = static_cast<ClusterCurl*>(client);
    if (self->isCancelled())
        return 1;
    // Counts of this attempt, made counts of the whole file.
    long long nBase = self->m_nResumeFrom;
    if (dlTotal > 0 || dlNow > 0) {
        long status = 0;
        curl_easy_getinfo(self->m_pCurl, CURLINFO_RESPONSE_CODE, &status);
        if (status == 200)
            nBase = 0;
        else if (status != 206 || self->m_nResumeFrom == 0)
            return 0;  // an error page's size says nothing about the file
    }
    const double dTotal = dlTotal > 0 ? static_cast<double>(nBase + dlTotal) : 0;
    return self->onDownProgress(dTotal, static_cast<double>(nBase + dlNow));
}

int ClusterCurl::onDownProgress(double dlTotal, double dlNow) {
    if (m_pCallback == nullptr)
        return 0;
    if (m_pStopFlag->IsCancelled())
        return 0;
    // A retry knows the size before its answer says it again.
    if (dlTotal > 0)
        m_dKnownTotal = dlTotal;
    else
        dlTotal = m_dKnownTotal;
    // About one report per whole percent; every call while the size is unknown.
    int64_t step = static_cast<int64_t>(dlTotal * 0.01);
    int64_t advance = static_cast<int64_t>(dlNow - m_dLastProgress);
    if (advance < step)
        return 0;
    // Never backwards, also when a retry starts over or the size changed.
    if (dlTotal > 0) {
        const double dFraction = dlNow / dlTotal;
        if (dFraction < m_dReportedFraction)
            return 0;
        m_dReportedFraction = dFraction;
    }
    m_dLastProgress = dlNow;
    try {
        m_pCallback->OnDownProgress(1, m_nTaskId, dlTotal, dlNow);
    } catch (...) {
        m_bReceiverThrew = true;
        return 1;
    }
    return 0;
}

bool ClusterCurl::pauseBeforeRetry(int nPauseMs) {
    return (m_pCancel != nullptr ? m_pCancel : m_pStopFlag)->SleepFor(nPauseMs);
}

CurlResult ClusterCurl::transferAttempt(long long nTimeoutMs) {
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT_MS, static_cast<long>(nTimeoutMs));
    // Resume only what the server promised to serve in ranges, and only
    // while it is the same version (If-Range); else start over.
    // Without a validator only a pin can catch a part of another version.
    const std::string strIfRange = m_fileHeaders.IfRangeValue();
    const bool bCheckable = !strIfRange.empty() || !m_strExpectedSha256.empty();
    m_nResumeFrom = 0;
    curl_slist* pAttemptHeaders = nullptr;
    std::string strRange;
    if (m_pFile->Size() > 0 && !m_bNoResume && m_fileHeaders.OffersRanges() &&
        m_fileHeaders.TotalLength() > m_pFile->Size() && bCheckable) {
        bool bListOk = true;
        for (curl_slist* p = m_pHeaders; p != nullptr && bListOk; p = p->next) {
            curl_slist* pNext = curl_slist_append(pAttemptHeaders, p->data);
            bListOk = pNext != nullptr;
            pAttemptHeaders = bListOk ? pNext : pAttemptHeaders;
        }
        if (bListOk && !strIfRange.empty()) {
            curl_slist* pNext =
                curl_slist_append(pAttemptHeaders, ("If-Range: " + strIfRange).c_str());
            bListOk = pNext != nullptr;
            pAttemptHeaders = bListOk ? pNext : pAttemptHeaders;
        }
        if (bListOk) {
            m_nResumeFrom = m_pFile->Size();
            strRange = std::to_string(m_nResumeFrom) + "-";
            curl_easy_setopt(m_pCurl, CURLOPT_RANGE, strRange.c_str());
            curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, pAttemptHeaders);
        }
    } else if (m_pFile->Size() > 0 && m_fileHeaders.HadUnsafeValidator()) {
        WriteLogA(
            "ClusterCurl::downloadFile the server's validator holds control characters; "
            "starting over\n");
    }
    if (m_nResumeFrom == 0 && m_pFile->Size() > 0) {
        int nErr = 0;
        if (!m_pFile->Restart(nErr)) {
            if (pAttemptHeaders != nullptr)
                curl_slist_free_all(pAttemptHeaders);
            return {CURLE_WRITE_ERROR, curl_easy_strerror(CURLE_WRITE_ERROR), LocalFailure(nErr)};
        }
    }
    m_bBodyStarted = false;
    m_bDiscardBody = false;
    m_bRangeRefused = false;
    m_headers = CResponseHeaders();
    m_nWriteErrno = 0;

    CurlResult result = performAndCollect(m_nResumeFrom > 0);
    // Every byte received must be in the file before it counts, or is resumed from.
    int nFlushErr = 0;
    if (!m_pFile->Flush(nFlushErr) && result.eFailure != TransferFailure::Cancelled) {
        m_nWriteErrno = nFlushErr;
        result = {CURLE_WRITE_ERROR, curl_easy_strerror(CURLE_WRITE_ERROR), TransferFailure::Other};
        WriteLogA("curl send msg error: pRes=%s, lResCode=%ld \n", result.strMsg.c_str(),
                  result.lResCode);
    }
    // An empty body never reaches the writer, but still replaces the file.
    if (result.lResCode == 200 && !m_bBodyStarted && !startBody())
        result = {CURLE_WRITE_ERROR, curl_easy_strerror(CURLE_WRITE_ERROR), TransferFailure::Other};
    if (result.lResCode == CURLE_WRITE_ERROR && m_bRangeRefused)
        result = {-1, "downloadFile the server sent a part that is not the rest of this file",
                  TransferFailure::BadPart};
    else if (result.lResCode == CURLE_WRITE_ERROR)
        result.eFailure = LocalFailure(m_nWriteErrno);
    else if (result.lResCode == 416 && m_nResumeFrom > 0)
        result = {416, "downloadFile the server refused the rest of the file (416)",
                  TransferFailure::RangeRefused};

    if (m_nResumeFrom > 0) {
        curl_easy_setopt(m_pCurl, CURLOPT_RANGE, nullptr);
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, m_pHeaders);
    }
    if (pAttemptHeaders != nullptr)
        curl_slist_free_all(pAttemptHeaders);
    return result;
}

CurlResult ClusterCurl::transferWithRetries(const std::string& url) {
    // The time-out covers the download as a whole, pauses and retries included.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(m_nTimeout);
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    setCommonOptions();
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::fileDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERFUNCTION, &ClusterCurl::headerReader);
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERDATA, this);
    // Fewer, larger reads and writes for packages of hundreds of MiB.
    curl_easy_setopt(m_pCurl, CURLOPT_BUFFERSIZE, kDownloadBufferBytes);
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &ClusterCurl::downloadProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, this);
    if (m_nStallSeconds > 0) {
        curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_nStallSeconds));
    }
    m_fileHeaders = CResponseHeaders();

    for (int nAttempt = 1;; ++nAttempt) {
        const long long nLeftMs = MillisecondsLeft(deadline);
        CurlResult result = transferAttempt(nLeftMs > 0 ? nLeftMs : 1);
        if (result.lResCode == 200 || m_bReceiverThrew)
            return result;
        // A range the server would not serve as asked is no reason to give
        // up, but the next attempt asks for the whole file: the same range
        // would only meet the same answer.
        const bool bRangeFailed = result.eFailure == TransferFailure::BadPart ||
                                  result.eFailure == TransferFailure::RangeRefused;
        if (bRangeFailed)
            m_fileHeaders = CResponseHeaders();
        if ((!IsTransientFailure(result) && !bRangeFailed) || nAttempt > m_nRetries)
            return result;
        curl_off_t nRetryAfter = 0;
        curl_easy_getinfo(m_pCurl, CURLINFO_RETRY_AFTER, &nRetryAfter);
        const int nPauseMs =
            RetryPauseMs(nAttempt, m_nRetryPauseMs, nRetryAfter, m_nMaxRetryPauseMs);
        if (MillisecondsLeft(deadline) <= nPauseMs) {
            WriteLogA("ClusterCurl::downloadFile no time left for another attempt\n");
            return result;
        }
        WriteLogA(
            "ClusterCurl::downloadFile attempt %d failed (%s, %ld); retry %d of %d in %d ms, "
            "%lld bytes so far\n",
            nAttempt, TransferFailureName(result.eFailure), result.lResCode, nAttempt, m_nRetries,
            nPauseMs, static_cast<long long>(m_pFile->Size()));
        if (!pauseBeforeRetry(nPauseMs))
            return isCancelled() ? cancelledResult() : result;
    }
}

void ClusterCurl::renameIntoPlace(const std::string& tempPath, const std::string& targetPath,
                                  bool bReplaceOld, dev_t oldDev, ino_t oldIno,
                                  CurlResult& result) {
    char message[kMessageBytes];
    for (int attempt = 1; attempt <= kRenameAttempts; ++attempt) {
        if (m_pStopFlag->IsCancelled())
            return;
        // Only the file that was there when the download began is replaced,
        // in one step; one that appeared meanwhile belongs to someone else.
        struct stat now {};
        const bool bSameOld = bReplaceOld && lstat(targetPath.c_str(), &now) == 0 &&
                              now.st_dev == oldDev && now.st_ino == oldIno;
        const int rc = bSameOld ? rename(tempPath.c_str(), targetPath.c_str())
                                : RenameNoReplace(tempPath, targetPath);
        if (rc == 0) {
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
    CPartialFile file;
    try {
        m_dLastProgress = 0;
        m_dKnownTotal = 0;
        m_dReportedFraction = 0;
        m_bReceiverThrew = false;
        if (!PathExists(saveDir)) {
            snprintf(message, sizeof(message), "save dir=%s is not exsit\xEF\xBC\x81",
                     saveDir.c_str());
            WriteLogA("%s", message);
            return {-1, message, TransferFailure::LocalFile};
        }
        std::string strPin;
        const bool bPinned = !m_strExpectedSha256.empty();
        if (bPinned && !NormalizeSha256Hex(m_strExpectedSha256, strPin)) {
            snprintf(message, sizeof(message), "downloadFile sha256 pin unusable [%s]",
                     m_strExpectedSha256.c_str());
            WriteLogA("%s", message);
            return {-1, message, TransferFailure::BadPin};
        }
        const std::string targetPath = saveDir + "/" + fileName;
        const std::string tempPath = targetPath + ".temp";
        // The file there now stays until a complete (and verified) one
        // replaces it: a failed download must not cost the user the old one.
        struct stat old {};
        const bool bOld = lstat(targetPath.c_str(), &old) == 0;
        // A pipe, device or folder at the name is not ours to replace.
        if (bOld && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) {
            snprintf(message, sizeof(message), "downloadFile %s is no regular file (mode %o)",
                     targetPath.c_str(), static_cast<unsigned>(old.st_mode & S_IFMT));
            WriteLogA("%s", message);
            return {-1, message, TransferFailure::LocalFile};
        }
        if (PathExists(tempPath))
            unlink(tempPath.c_str());

        int nErr = 0;
        if (!file.Open(tempPath, bPinned, nErr)) {
            snprintf(message, sizeof(message), "downloadFile open file error(%d), %s", nErr,
                     targetPath.c_str());
            WriteLogA("%s", message);
            return {-1, message, LocalFailure(nErr)};
        }
        m_bResumed = false;
        m_bNoResume = false;
        for (;;) {
            m_pFile = &file;
            CurlResult transfer = transferWithRetries(url);
            m_pFile = nullptr;
            if (m_bReceiverThrew)
                throw std::runtime_error("progress receiver");

            const int closeErr = file.Close();
            result = transfer;
            if (result.lResCode == 200 && closeErr != 0) {
                snprintf(message, sizeof(message), "downloadFile close file error(%d), %s",
                         closeErr, targetPath.c_str());
                result = {-1, message, LocalFailure(closeErr)};
            }
            if (result.lResCode != 200 || !bPinned)
                break;
            const std::string strGot = file.FinishSha256();
            if (strGot == strPin)
                break;
            snprintf(message, sizeof(message),
                     "downloadFile sha256 mismatch expected=[%s] got=[%s], %s", strPin.c_str(),
                     strGot.c_str(), targetPath.c_str());
            result = {-1, message, TransferFailure::HashMismatch};
            // Pieces of two versions, perhaps: the whole file in one answer
            // may still be the pinned one. Once.
            if (!m_bResumed || m_bNoResume)
                break;
            WriteLogA("%s; the parts were joined, so it is fetched whole once more\n", message);
            m_bNoResume = true;
            m_bResumed = false;
            if (!file.Open(tempPath, true, nErr)) {
                snprintf(message, sizeof(message), "downloadFile open file error(%d), %s", nErr,
                         targetPath.c_str());
                result = {-1, message, LocalFailure(nErr)};
                break;
            }
        }
        if (result.lResCode != 200) {
            WriteLogA("%s", result.strMsg.c_str());
            if (PathExists(tempPath))
                unlink(tempPath.c_str());
            return result;
        }
        renameIntoPlace(tempPath, targetPath, bOld, old.st_dev, old.st_ino, result);
    } catch (...) {
        int err = errno;
        m_pFile = nullptr;
        file.Close();
        snprintf(message, sizeof(message), "downloadFile api exception(%d)\n", err);
        result.strMsg = message;
        result.eFailure = TransferFailure::Other;
        WriteLogA("%s", message);
    }
    return result;
}
