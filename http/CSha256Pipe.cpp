#include "http/CSha256Pipe.h"

#include <system_error>

#include "platform/WriteLog.h"

namespace {

constexpr size_t kMaxQueued = 3;

}  // namespace

CSha256Pipe::CSha256Pipe() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        WriteLog(L"%s no hashing thread errno=[%d]; hashing inline", L"CSha256Pipe::CSha256Pipe",
                 e.code().value());
    }
}

CSha256Pipe::~CSha256Pipe() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSha256Pipe::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop)
            return;
        std::vector<char> buffer = std::move(m_queue.front());
        m_queue.pop_front();
        m_bBusy = true;
        lock.unlock();
        m_hash.Update(buffer.data(), buffer.size());
        lock.lock();
        m_bBusy = false;
        buffer.clear();
        m_spare.push_back(std::move(buffer));
        m_changed.notify_all();
    }
}

void CSha256Pipe::Take(std::vector<char>& buffer) {
    const size_t nCapacity = buffer.capacity();
    if (!m_thread.joinable()) {
        m_hash.Update(buffer.data(), buffer.size());
        buffer.clear();
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
    m_queue.push_back(std::move(buffer));
    if (m_spare.empty()) {
        buffer = std::vector<char>();
        buffer.reserve(nCapacity);
    } else {
        buffer = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
}

void CSha256Pipe::WaitIdle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_bBusy; });
}

void CSha256Pipe::Restart() {
    if (m_thread.joinable()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        // Queued bytes are not wanted any more; only the buffer being hashed
        // has to be waited for.
        while (!m_queue.empty()) {
            m_queue.front().clear();
            m_spare.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
        }
        WaitIdle(lock);
    }
    m_hash.Reset();
}

std::string CSha256Pipe::Finish() {
    if (m_thread.joinable()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        WaitIdle(lock);
    }
    return m_hash.FinishHex();
}
