#include "platform/TextConvert.h"

#include <glib.h>

namespace {
constexpr gunichar kReplacement = 0xFFFD;
}

std::string WideToAnsi(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    char bytes[8];
    for (wchar_t wc : text) {
        gunichar c = static_cast<gunichar>(wc);
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
        gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            out.push_back(static_cast<wchar_t>(kReplacement));
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
    return WideToAnsi(AnsiToWide(text));
}
