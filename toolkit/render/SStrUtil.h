#pragma once
#include <string>
#include <string_view>

namespace SOUI {

// Small text helpers for parsing resource attributes. Case folding is ASCII
// only: resource types, names and attribute keywords are ASCII.
std::wstring ToLowerAscii(std::wstring_view str);
std::wstring ToUpperAscii(std::wstring_view str);
std::wstring_view TrimBlanks(std::wstring_view str);
// A whole decimal integer with optional sign and surrounding blanks.
bool ParseInt(std::wstring_view str, int& nOut);
std::wstring Utf8ToWide(std::string_view str);
std::string WideToUtf8(std::wstring_view str);

}  // namespace SOUI
