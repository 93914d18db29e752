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
// receives the bytes does not: with a second core free, a pinned download
// costs about what an unpinned one does. The writer hands over whole
// buffers and gets empty ones back, so nothing is copied, and memory stays
// bounded: it waits while a few buffers are queued. Without a thread (it
// could not be made) the bytes are hashed on the writer's thread.
class CSha256Pipe {
public:
    CSha256Pipe();
    ~CSha256Pipe();
    CSha256Pipe(const CSha256Pipe&) = delete;
    CSha256Pipe& operator=(const CSha256Pipe&) = delete;

    // Queues the bytes of `buffer` and leaves an empty buffer in its place.
    void Take(std::vector<char>& buffer);
    // Forgets everything taken so far.
    void Restart();
    // Digest of everything taken since the start or the last restart, as
    // 64 lower-case hex digits; the pipe then starts afresh.
    std::string Finish();

private:
    void Run();
    void WaitIdle(std::unique_lock<std::mutex>& lock);

    CSha256 m_hash;  // used by the thread only, or by the writer once idle
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<char>> m_queue;
    std::vector<std::vector<char>> m_spare;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::thread m_thread;
};
