#pragma once
#include <string>

namespace SOUI {

// Wide text (UTF-32 on this platform) to and from the UTF-8 GTK speaks.
// Invalid input gives the longest valid prefix rather than nothing.
std::string GtkTextFromWide(const std::wstring& strText);
std::wstring GtkTextToWide(const char* pszUtf8);

}  // namespace SOUI
