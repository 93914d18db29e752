#pragma once
#include <string>

namespace SOUI {

// Wide text counts in wchar_t units, as the layouts and translation tables expect.
using SStringW = std::wstring;
using SStringA = std::string;

}  // namespace SOUI
