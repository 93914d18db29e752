#include "toolkit/res/SResID.h"

namespace SOUI {

SResID SResID::Parse(const std::wstring& strRef) {
    SResID id;
    size_t colon = strRef.find(L':');
    if (colon == std::wstring::npos) {
        id.strName = strRef;
    } else {
        id.strType = strRef.substr(0, colon);
        id.strName = strRef.substr(colon + 1);
    }
    return id;
}

}  // namespace SOUI
