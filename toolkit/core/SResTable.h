#pragma once
#include <cstddef>

namespace SOUI {

// One resource compiled into a program or module, stored under its
// upper-case type and name ("LAYOUT", "XML_MAINWND").
struct SResEntry {
    const char* pszType;
    const char* pszName;
    const unsigned char* pData;
    size_t nSize;
};

struct SResTable {
    const SResEntry* pEntries;
    size_t nCount;
};

}  // namespace SOUI
