#include "toolkit/core/SLog.h"

#include <glib.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <mutex>

namespace SOUI {

namespace {

std::atomic<FnLogSinkW> g_fnSinkW{nullptr};
std::atomic<FnLogSinkA> g_fnSinkA{nullptr};

}  // namespace

void SetLogSink(FnLogSinkW fnWide, FnLogSinkA fnNarrow) {
    g_fnSinkW.store(fnWide, std::memory_order_release);
    g_fnSinkA.store(fnNarrow, std::memory_order_release);
}

void SLog(const wchar_t* format, ...) {
    FnLogSinkW fnSink = g_fnSinkW.load(std::memory_order_acquire);
    va_list args;
    va_start(args, format);
    (fnSink != nullptr ? fnSink : &WriteStderrLineV)(format, args);
    va_end(args);
}

void SLogA(const char* format, ...) {
    FnLogSinkA fnSink = g_fnSinkA.load(std::memory_order_acquire);
    va_list args;
    va_start(args, format);
    (fnSink != nullptr ? fnSink : &WriteStderrLineAV)(format, args);
    va_end(args);
}

namespace {

constexpr size_t kWideBufferChars = 4096;
constexpr size_t kStampChars = 64;
constexpr size_t kNarrowBufferBytes = 1024;

std::atomic<int> g_nMirrorFd{-1};

// The whole of an entry, however the descriptor takes it in pieces.
void WriteWhole(int fd, const char* p, size_t nBytes) {
    for (size_t nDone = 0; nDone < nBytes;) {
        const ssize_t n = write(fd, p + nDone, nBytes - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        nDone += static_cast<size_t>(n);
    }
}

// glibc's wide printf reads "%s" as a narrow string; our callers pass wide
// ones. Add the "l" length to every plain %s and %c so both agree.
void WidenFormat(const wchar_t* in, wchar_t* out, size_t capacity) {
    size_t o = 0;
    auto put = [&](wchar_t c) {
        if (o + 1 < capacity)
            out[o++] = c;
    };
    for (const wchar_t* p = in; *p; ++p) {
        put(*p);
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%') {
            put(*p);
            continue;
        }
        // Flags, width, precision.
        while (*p && wcschr(L"-+ #0123456789.*'", *p))
            put(*p++);
        bool hasLength = false;
        while (*p && wcschr(L"hlLqjzt", *p)) {
            hasLength = true;
            put(*p++);
        }
        if (!*p)
            break;
        if (!hasLength && (*p == L's' || *p == L'c'))
            put(L'l');
        put(*p);
    }
    out[o] = 0;
}

// One entry of the log being put together on the stack: what does not fit
// is cut, line breaks inside it are written as "\\n" and "\\r", so that each
// entry stays one line, and the whole entry goes out before any other
// thread's, so that entries of two threads never mix.
class CEntry {
public:
    void Put(char c) {
        if (m_n < sizeof(m_bytes))
            m_bytes[m_n++] = c;
    }
    void PutText(const char* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (p[i] == '\n' || p[i] == '\r') {
                Put('\\');
                Put(p[i] == '\n' ? 'n' : 'r');
            } else {
                Put(p[i]);
            }
        }
    }
    // Wide text as UTF-8; what is no character shows as U+FFFD.
    void PutWide(const wchar_t* p, size_t n) {
        char utf8[8];
        for (size_t i = 0; i < n; ++i) {
            gunichar c = static_cast<gunichar>(p[i]);
            if (!g_unichar_validate(c))
                c = 0xFFFD;
            PutText(utf8, static_cast<size_t>(g_unichar_to_utf8(c, utf8)));
        }
    }
    void Write() {
        if (m_n == sizeof(m_bytes))
            m_bytes[m_n - 1] = '\n';  // a cut entry still ends its line
        // A pipe takes a write longer than PIPE_BUF in pieces, and a signal
        // may cut any write short: the rest of an entry must follow it
        // before another thread's entry begins.
        static std::mutex s_writeLock;
        std::lock_guard<std::mutex> guard(s_writeLock);
        WriteWhole(STDERR_FILENO, m_bytes, m_n);
        const int nMirror = g_nMirrorFd.load();
        if (nMirror >= 0)
            WriteWhole(nMirror, m_bytes, m_n);
    }

private:
    char m_bytes[kWideBufferChars * 8 + kStampChars * 4];
    size_t m_n = 0;
};

// A message's own closing line breaks are the entry's end, not its text.
template <typename Char>
size_t WithoutClosingBreaks(const Char* p, size_t n) {
    while (n > 0 && (p[n - 1] == '\n' || p[n - 1] == '\r'))
        --n;
    return n;
}

}  // namespace

void WriteStderrLineV(const wchar_t* format, va_list args) {
    wchar_t widened[kWideBufferChars];
    WidenFormat(format, widened, kWideBufferChars);

    wchar_t message[kWideBufferChars];
    std::memset(message, 0, sizeof(message));
    // On overflow glibc keeps what fit; the zero fill keeps the cut terminated.
    vswprintf(message, kWideBufferChars, widened, args);
    message[kWideBufferChars - 1] = 0;

    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[kStampChars];
    int nStamp = snprintf(stamp, sizeof(stamp), "[%d-%02d-%02d %02d:%02d:%02d %d] ",
                          local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000));

    CEntry entry;
    entry.PutText(stamp, static_cast<size_t>(std::max(nStamp, 0)));
    entry.PutWide(message, WithoutClosingBreaks(message, wcslen(message)));
    entry.Put('\n');
    entry.Write();
}

void WriteStderrLineAV(const char* format, va_list args) {
    char message[kNarrowBufferBytes];
    std::memset(message, 0, sizeof(message));
    vsnprintf(message, sizeof(message), format, args);

    CEntry entry;
    entry.Put('[');
    entry.PutText(message, WithoutClosingBreaks(message, strlen(message)));
    entry.Put(']');
    entry.Put('\n');
    entry.Write();
}

int SetStderrLineMirror(int fd) {
    return g_nMirrorFd.exchange(fd);
}

}  // namespace SOUI
