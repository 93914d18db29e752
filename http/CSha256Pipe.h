#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sha256.h"

// Hashes a byte stream on a thread of its own, so that the thread that
// receives the bytes only copies them: with a second core free, a pinned
// download costs about what an unpinned one does. Memory stays bounded:
// the writer waits while a few buffers are queued. Without a thread (it
// could not be made) the bytes are hashed on the writer's thread.
class CSha256Pipe {
public:
    CSha256Pipe();
    ~CSha256Pipe();
    CSha256Pipe(const CSha256Pipe&) = delete;
    CSha256Pipe& operator=(const CSha256Pipe&) = delete;

    void Write(const char* pData, size_t nBytes);
    // Forgets everything written so far.
    void Restart();
    // Digest of everything written since the start or the last restart, as
    // 64 lower-case hex digits; the pipe then starts afresh.
    std::string Finish();

private:
    void Run();
    void QueueCurrent(std::unique_lock<std::mutex>& lock);
    void WaitIdle(std::unique_lock<std::mutex>& lock);

    CSha256 m_hash;  // used by the thread only, or by the writer once idle
    std::vector<char> m_current;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<char>> m_queue;
    std::vector<std::vector<char>> m_spare;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::thread m_thread;
};
