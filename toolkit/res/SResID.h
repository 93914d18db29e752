#pragma once
#include <string>

namespace SOUI {

// A resource reference "TYPE:name" split into its parts. Without a colon
// the whole text is the name and the type is empty.
struct SResID {
    std::wstring strType;
    std::wstring strName;

    static SResID Parse(const std::wstring& strRef);
};

}  // namespace SOUI
