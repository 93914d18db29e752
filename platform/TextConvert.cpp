#include "platform/TextConvert.h"

#include <glib.h>

namespace {

constexpr gunichar kReplacement = 0xFFFD;
// Bytes 0x80..0xFF that are no UTF-8 are kept as these (lone low surrogates,
// which no valid UTF-8 decodes to).
constexpr gunichar kEscapeFirst = 0xDC80;
constexpr gunichar kEscapeLast = 0xDCFF;

bool IsEscapedByte(gunichar c) {
    return c >= kEscapeFirst && c <= kEscapeLast;
}

// The character at p, or -1 when the bytes there are no valid UTF-8.
gunichar NextChar(const char* p, const char* end) {
    gunichar c = g_utf8_get_char_validated(p, end - p);
    return c == static_cast<gunichar>(-2) ? static_cast<gunichar>(-1) : c;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    char bytes[8];
    for (wchar_t wc : text) {
        gunichar c = static_cast<gunichar>(wc);
        if (IsEscapedByte(c)) {
            out.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        if (c != 0 && !g_unichar_validate(c))
            c = kReplacement;
        gint n = g_unichar_to_utf8(c, bytes);
        out.append(bytes, static_cast<size_t>(n));
    }
    return out;
}

std::wstring AnsiToWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        if (*p == 0) {
            out.push_back(L'\0');
            ++p;
            continue;
        }
        gunichar c = NextChar(p, end);
        if (c == static_cast<gunichar>(-1)) {
            out.push_back(static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(*p)));
            ++p;
            continue;
        }
        out.push_back(static_cast<wchar_t>(c));
        p = g_utf8_next_char(p);
    }
    return out;
}

std::string AnsiToUtf8(const std::string& text) {
    if (g_utf8_validate_len(text.data(), text.size(), nullptr))
        return text;
    std::string out;
    out.reserve(text.size() + 8);
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        if (*p == 0) {
            out.push_back('\0');
            ++p;
            continue;
        }
        if (NextChar(p, end) == static_cast<gunichar>(-1)) {
            out += "\xEF\xBF\xBD";
            ++p;
            continue;
        }
        const char* next = g_utf8_next_char(p);
        out.append(p, static_cast<size_t>(next - p));
        p = next;
    }
    return out;
}
