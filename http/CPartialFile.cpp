#include "http/CPartialFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "http/CSha256Pipe.h"

CPartialFile::CPartialFile() = default;

CPartialFile::~CPartialFile() {
    Close();
}

bool CPartialFile::Open(const std::string& strPath, bool bHash, int& nErr) {
    Close();
    m_nFd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (m_nFd < 0) {
        nErr = errno;
        return false;
    }
    m_nSize = 0;
    m_pHash.reset(bHash ? new CSha256Pipe : nullptr);
    return true;
}

bool CPartialFile::Append(const char* pData, size_t nBytes, int& nErr) {
    const char* p = pData;
    size_t nLeft = nBytes;
    while (nLeft > 0) {
        ssize_t n = write(m_nFd, p, nLeft);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A short write that made no progress is the file system saying no.
            nErr = n < 0 ? errno : ENOSPC;
            m_nSize += p - pData;
            return false;
        }
        p += n;
        nLeft -= static_cast<size_t>(n);
    }
    m_nSize += static_cast<int64_t>(nBytes);
    if (m_pHash)
        m_pHash->Write(pData, nBytes);
    return true;
}

bool CPartialFile::Restart(int& nErr) {
    if (ftruncate(m_nFd, 0) != 0 || lseek(m_nFd, 0, SEEK_SET) != 0) {
        nErr = errno;
        return false;
    }
    m_nSize = 0;
    if (m_pHash)
        m_pHash->Restart();
    return true;
}

int CPartialFile::Close() {
    if (m_nFd < 0)
        return 0;
    int nErr = close(m_nFd) == 0 ? 0 : errno;
    m_nFd = -1;
    // EINTR leaves the descriptor closed on Linux: nothing to retry.
    return nErr == EINTR ? 0 : nErr;
}

std::string CPartialFile::FinishSha256() {
    return m_pHash ? m_pHash->Finish() : std::string();
}
