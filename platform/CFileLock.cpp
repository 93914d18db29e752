#include "platform/CFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/WriteLog.h"

CFileLock::~CFileLock() {
    Unlock();
}

CFileLock::Result CFileLock::TryLock(const std::string& strPath) {
    Unlock();
    int fd = open(strPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        WriteLogA("CFileLock::TryLock cannot open [%s] errno=[%d]\n", strPath.c_str(), errno);
        return Result::Failed;
    }
    return LockOpened(fd, strPath);
}

CFileLock::Result CFileLock::TryLockFolder(const std::string& strDir) {
    Unlock();
    int fd = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        WriteLogA("CFileLock::TryLockFolder cannot open [%s] errno=[%d]\n", strDir.c_str(), errno);
        return Result::Failed;
    }
    return LockOpened(fd, strDir);
}

CFileLock::Result CFileLock::LockOpened(int fd, const std::string& strPath) {
    int nRc;
    do {
        nRc = flock(fd, LOCK_EX | LOCK_NB);
    } while (nRc != 0 && errno == EINTR);
    if (nRc != 0) {
        const int nErr = errno;
        close(fd);
        if (nErr == EWOULDBLOCK) {
            return Result::Busy;
        }
        WriteLogA("CFileLock::LockOpened cannot lock [%s] errno=[%d]\n", strPath.c_str(), nErr);
        return Result::Failed;
    }
    m_nFd = fd;
    return Result::Locked;
}

void CFileLock::Unlock() {
    if (m_nFd >= 0) {
        // A child spawned a moment ago holds a copy of the descriptor until
        // its exec closes it; closing ours alone would leave the lock to it.
        flock(m_nFd, LOCK_UN);
        close(m_nFd);
        m_nFd = -1;
    }
}
