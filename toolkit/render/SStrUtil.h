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
// Each byte that is not part of a valid sequence becomes U+FFFD; zeros stay.
std::wstring Utf8ToWide(std::string_view str);
// Code units that are not characters become U+FFFD.
std::string WideToUtf8(std::wstring_view str);

}  // namespace SOUI
