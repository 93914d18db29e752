#include "toolkit/host/SGtkText.h"

#include <glib.h>

namespace SOUI {

std::string GtkTextFromWide(const std::wstring& strText) {
    std::string strOut;
    strOut.reserve(strText.size());
    for (wchar_t ch : strText) {
        gunichar uc = static_cast<gunichar>(ch);
        // A path's bytes that are no UTF-8 show as U+FFFD, not cut the text.
        if (!g_unichar_validate(uc))
            uc = 0xFFFD;
        char buf[8];
        int n = g_unichar_to_utf8(uc, buf);
        strOut.append(buf, static_cast<size_t>(n));
    }
    return strOut;
}

std::wstring GtkTextToWide(const char* pszUtf8) {
    std::wstring strOut;
    if (!pszUtf8)
        return strOut;
    const char* pEnd = nullptr;
    g_utf8_validate(pszUtf8, -1, &pEnd);
    for (const char* p = pszUtf8; p < pEnd; p = g_utf8_next_char(p))
        strOut.push_back(static_cast<wchar_t>(g_utf8_get_char(p)));
    return strOut;
}

}  // namespace SOUI
