#pragma once
#include <string>

// An advisory lock (flock) on a file or folder, held while the object lives. The
// kernel releases it when the holder dies, however it dies, so a stale lock
// never blocks anyone; child processes do not inherit it.
class CFileLock {
public:
    enum class Result {
        Locked,  // this object holds the lock now
        Busy,    // another open of the file holds it
        Failed,  // the file cannot be opened or locked (log line)
    };

    CFileLock() = default;
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // Opens the file, creating it (never through a symbolic link), and
    // takes the lock without waiting.
    Result TryLock(const std::string& strPath);
    // Takes the lock on a folder itself, through a descriptor of the folder:
    // no file in it that another user or a planted link could own first.
    Result TryLockFolder(const std::string& strDir);
    bool IsLocked() const { return m_nFd >= 0; }
    void Unlock();

private:
    Result LockOpened(int fd, const std::string& strPath);

    int m_nFd = -1;
};
