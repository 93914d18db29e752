#include "toolkit/render/SStrUtil.h"

#include <glib.h>

#include <charconv>
#include <climits>

namespace SOUI {

std::wstring ToLowerAscii(std::wstring_view str) {
    std::wstring out(str);
    for (auto& ch : out)
        if (ch >= L'A' && ch <= L'Z')
            ch = ch - L'A' + L'a';
    return out;
}

std::wstring ToUpperAscii(std::wstring_view str) {
    std::wstring out(str);
    for (auto& ch : out)
        if (ch >= L'a' && ch <= L'z')
            ch = ch - L'a' + L'A';
    return out;
}

std::wstring_view TrimBlanks(std::wstring_view str) {
    auto isBlank = [](wchar_t ch) {
        return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
    };
    while (!str.empty() && isBlank(str.front()))
        str.remove_prefix(1);
    while (!str.empty() && isBlank(str.back()))
        str.remove_suffix(1);
    return str;
}

bool ParseInt(std::wstring_view str, int& nOut) {
    str = TrimBlanks(str);
    if (str.empty() || str.size() > 12)
        return false;
    std::string narrow;
    for (wchar_t ch : str) {
        if (ch > 0x7f)
            return false;
        narrow += char(ch);
    }
    const char* pBegin = narrow.c_str();
    if (*pBegin == '+')
        ++pBegin;
    int n = 0;
    auto res = std::from_chars(pBegin, narrow.c_str() + narrow.size(), n);
    if (res.ec != std::errc() || res.ptr != narrow.c_str() + narrow.size())
        return false;
    nOut = n;
    return true;
}

std::wstring Utf8ToWide(std::string_view str) {
    std::wstring out;
    out.reserve(str.size());
    const char* p = str.data();
    const char* pEnd = p + str.size();
    while (p < pEnd) {
        // Zero bytes are text here (GLib's validator stops at them).
        if (*p == 0) {
            out.push_back(L'\0');
            ++p;
            continue;
        }
        gunichar ch = g_utf8_get_char_validated(p, pEnd - p);
        if (ch == gunichar(-1) || ch == gunichar(-2)) {
            // One replacement per bad byte, so the text after it survives.
            out.push_back(L'\xfffd');
            ++p;
            continue;
        }
        out.push_back(wchar_t(ch));
        p = g_utf8_next_char(p);
    }
    return out;
}

std::string WideToUtf8(std::wstring_view str) {
    std::string out;
    out.reserve(str.size());
    for (wchar_t wc : str) {
        char buf[6];
        gunichar ch = gunichar(wc);
        if (ch > 0x10ffff || (ch >= 0xd800 && ch <= 0xdfff))
            ch = 0xfffd;
        int n = g_unichar_to_utf8(ch, buf);
        out.append(buf, size_t(n));
    }
    return out;
}

}  // namespace SOUI
