#include "platform/WriteLog.h"

#include <glib.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>

namespace {

constexpr size_t kWideBufferChars = 4096;
constexpr size_t kStampChars = 64;
constexpr size_t kNarrowBufferBytes = 1024;
constexpr size_t kWrappedBytes = 1536;

// glibc's wide printf reads "%s" as a narrow string; our callers pass wide
// ones. Add the "l" length to every plain %s and %c so both agree.
void WidenFormat(const wchar_t* in, wchar_t* out, size_t capacity) {
    size_t o = 0;
    auto put = [&](wchar_t c) {
        if (o + 1 < capacity) out[o++] = c;
    };
    for (const wchar_t* p = in; *p; ++p) {
        put(*p);
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') {
            put(*p);
            continue;
        }
        // Flags, width, precision.
        while (*p && wcschr(L"-+ #0123456789.*'", *p)) put(*p++);
        bool hasLength = false;
        while (*p && wcschr(L"hlLqjzt", *p)) {
            hasLength = true;
            put(*p++);
        }
        if (!*p) break;
        if (!hasLength && (*p == L's' || *p == L'c')) put(L'l');
        put(*p);
    }
    out[o] = 0;
}

// Writes one piece as UTF-8 in a single system call.
void WriteWidePiece(const wchar_t* text) {
    char bytes[kWideBufferChars * 4 + 1];
    size_t n = 0;
    for (const wchar_t* p = text; *p && n + 6 < sizeof(bytes); ++p) {
        gunichar c = static_cast<gunichar>(*p);
        if (!g_unichar_validate(c)) c = 0xFFFD;
        n += static_cast<size_t>(g_unichar_to_utf8(c, bytes + n));
    }
    if (n > 0) {
        ssize_t ignored = write(STDERR_FILENO, bytes, n);
        (void)ignored;
    }
}

}  // namespace

void WriteLog(const wchar_t* format, ...) {
    wchar_t widened[kWideBufferChars];
    WidenFormat(format, widened, kWideBufferChars);

    wchar_t message[kWideBufferChars];
    std::memset(message, 0, sizeof(message));
    va_list args;
    va_start(args, format);
    // On overflow glibc keeps what fit; the zero fill keeps the cut terminated.
    vswprintf(message, kWideBufferChars, widened, args);
    va_end(args);
    message[kWideBufferChars - 1] = 0;

    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    wchar_t stamp[kStampChars];
    std::memset(stamp, 0, sizeof(stamp));
    swprintf(stamp, kStampChars, L"[%d-%02d-%02d %02d:%02d:%02d %d] ", local.tm_year + 1900,
             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
             static_cast<int>(now.tv_usec / 1000));

    WriteWidePiece(stamp);
    WriteWidePiece(message);
    WriteWidePiece(L"\n");
}

void WriteLogA(const char* format, ...) {
    char message[kNarrowBufferBytes];
    std::memset(message, 0, sizeof(message));
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);

    char wrapped[kWrappedBytes];
    std::memset(wrapped, 0, sizeof(wrapped));
    int n = snprintf(wrapped, sizeof(wrapped), "[%s]", message);
    if (n > 0) {
        ssize_t ignored = write(STDERR_FILENO, wrapped, static_cast<size_t>(n));
        (void)ignored;
    }
}
