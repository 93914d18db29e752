#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSha256Pipe;

// The temporary file one download builds, over all of its attempts: its
// bytes and, when asked for, the SHA-256 of exactly those bytes, taken as
// they are written. The small pieces libcurl delivers are gathered and
// written with write(2) in large blocks (no stdio buffer: the write that
// meets a full disk says so); each block written goes on to be hashed.
class CPartialFile {
public:
    CPartialFile();
    ~CPartialFile();
    CPartialFile(const CPartialFile&) = delete;
    CPartialFile& operator=(const CPartialFile&) = delete;

    // Creates or truncates the file, never through a symbolic link and not
    // inherited by child processes. False with errno in nErr.
    bool Open(const std::string& strPath, bool bHash, int& nErr);
    // Takes the bytes; false with errno in nErr when a block could not be
    // written whole (the file then holds part of it).
    bool Append(const char* pData, size_t nBytes, int& nErr);
    // Writes what is gathered, so that the file holds every byte taken.
    bool Flush(int& nErr);
    // Back to an empty file and a fresh hash, for a server that sends the
    // whole body again.
    bool Restart(int& nErr);
    // Bytes taken, written or still gathered.
    int64_t Size() const { return m_nSize; }
    // Writes what is gathered and closes: 0, or the errno of the failure.
    int Close();
    // The digest of the bytes written (64 lower-case hex digits); empty
    // when no hash was asked for.
    std::string FinishSha256();

private:
    int m_nFd = -1;
    int64_t m_nSize = 0;
    std::vector<char> m_block;
    std::unique_ptr<CSha256Pipe> m_pHash;
};
