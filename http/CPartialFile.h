#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CSha256Pipe;

// The temporary file one download builds, over all of its attempts: its
// bytes and, when asked for, the SHA-256 of exactly those bytes, taken as
// they are written. Plain write(2) of whole received blocks: no stdio
// buffer stands between a full disk and the write that meets it.
class CPartialFile {
public:
    CPartialFile();
    ~CPartialFile();
    CPartialFile(const CPartialFile&) = delete;
    CPartialFile& operator=(const CPartialFile&) = delete;

    // Creates or truncates the file, never through a symbolic link and not
    // inherited by child processes. False with errno in nErr.
    bool Open(const std::string& strPath, bool bHash, int& nErr);
    // Writes all of the bytes; false with errno in nErr when the file
    // system takes fewer (the file then holds some of them).
    bool Append(const char* pData, size_t nBytes, int& nErr);
    // Back to an empty file and a fresh hash, for a server that sends the
    // whole body again.
    bool Restart(int& nErr);
    int64_t Size() const { return m_nSize; }
    // 0, or the errno of the close.
    int Close();
    // The digest of the bytes written (64 lower-case hex digits); empty
    // when no hash was asked for.
    std::string FinishSha256();

private:
    int m_nFd = -1;
    int64_t m_nSize = 0;
    std::unique_ptr<CSha256Pipe> m_pHash;
};
