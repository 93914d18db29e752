#pragma once
#include <string>

// The "ANSI" side of the installer is UTF-8. Invalid input is replaced by
// U+FFFD rather than failing, so a conversion never loses the whole text.

// Wide (UCS-4) to UTF-8; code points that are not characters become U+FFFD.
std::string WideToAnsi(const std::wstring& text);
// UTF-8 to wide; each invalid byte becomes U+FFFD, embedded zeros are kept.
std::wstring AnsiToWide(const std::string& text);
// Already UTF-8: the result is the input with invalid sequences replaced.
std::string AnsiToUtf8(const std::string& text);
