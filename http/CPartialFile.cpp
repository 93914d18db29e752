#include "http/CPartialFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "http/CSha256Pipe.h"

namespace {

// Large enough that writes and hand-overs are few, small enough to stay a
// minor part of the process's memory.
constexpr size_t kBlockBytes = 512 * 1024;

}  // namespace

CPartialFile::CPartialFile() = default;

CPartialFile::~CPartialFile() {
    Close();
}

bool CPartialFile::Open(const std::string& strPath, bool bHash, int& nErr) {
    Close();
    // Non-blocking, then refused unless regular: a pipe planted at the name
    // must neither hold the open nor take the bytes.
    m_nFd = open(strPath.c_str(),
                 O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (m_nFd < 0) {
        nErr = errno;
        return false;
    }
    struct stat st {};
    if (fstat(m_nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        nErr = EINVAL;
        close(m_nFd);
        m_nFd = -1;
        return false;
    }
    m_nSize = 0;
    m_block.clear();
    m_block.reserve(kBlockBytes);
    m_pHash.reset(bHash ? new CSha256Pipe : nullptr);
    return true;
}

bool CPartialFile::Append(const char* pData, size_t nBytes, int& nErr) {
    while (nBytes > 0) {
        const size_t nTake = std::min(nBytes, kBlockBytes - m_block.size());
        m_block.insert(m_block.end(), pData, pData + nTake);
        m_nSize += static_cast<int64_t>(nTake);
        pData += nTake;
        nBytes -= nTake;
        if (m_block.size() == kBlockBytes && !Flush(nErr))
            return false;
    }
    return true;
}

bool CPartialFile::Flush(int& nErr) {
    const char* p = m_block.data();
    size_t nLeft = m_block.size();
    while (nLeft > 0) {
        ssize_t n = write(m_nFd, p, nLeft);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that makes no progress is the file system saying no.
            nErr = n < 0 ? errno : ENOSPC;
            return false;
        }
        p += n;
        nLeft -= static_cast<size_t>(n);
    }
    if (m_pHash)
        m_pHash->Take(m_block);
    m_block.clear();
    return true;
}

bool CPartialFile::Restart(int& nErr) {
    m_block.clear();
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
    int nErr = 0;
    if (!Flush(nErr))
        m_block.clear();
    if (close(m_nFd) != 0 && nErr == 0 && errno != EINTR)
        nErr = errno;  // EINTR leaves the descriptor closed on Linux
    m_nFd = -1;
    return nErr;
}

std::string CPartialFile::FinishSha256() {
    return m_pHash ? m_pHash->Finish() : std::string();
}
