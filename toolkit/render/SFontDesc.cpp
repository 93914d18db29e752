#include "toolkit/render/SFontDesc.h"

#include <cstdint>

#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {

bool ParseFlag(std::wstring_view value, bool& bOut) {
    int n = 0;
    if (!ParseInt(value, n))
        return false;
    bOut = n != 0;
    return true;
}

}  // namespace

bool SFontDesc::Parse(std::wstring_view str, const SFontDesc& base, SFontDesc& out) {
    SFontDesc desc = base;
    int nAdding = 0;
    bool bOk = true;
    while (bOk && !TrimBlanks(str).empty()) {
        size_t comma = str.find(L',');
        std::wstring_view item = str.substr(0, comma);
        str = comma == std::wstring_view::npos ? std::wstring_view() : str.substr(comma + 1);
        size_t colon = item.find(L':');
        if (colon == std::wstring_view::npos) {
            bOk = TrimBlanks(item).empty();
            continue;
        }
        std::wstring key = ToLowerAscii(TrimBlanks(item.substr(0, colon)));
        std::wstring_view value = TrimBlanks(item.substr(colon + 1));
        if (key == L"face") {
            if (!value.empty())
                desc.strFace = std::wstring(value);
        } else if (key == L"size") {
            bOk = ParseInt(value, desc.nSize);
        } else if (key == L"adding") {
            bOk = ParseInt(value, nAdding);
        } else if (key == L"bold") {
            bOk = ParseFlag(value, desc.bBold);
        } else if (key == L"italic") {
            bOk = ParseFlag(value, desc.bItalic);
        } else if (key == L"underline") {
            bOk = ParseFlag(value, desc.bUnderline);
        } else if (key == L"strike") {
            bOk = ParseFlag(value, desc.bStrike);
        }
    }
    // Summed wide: both parts may be any int the text spells.
    const int64_t nSize = int64_t(desc.nSize) + nAdding;
    if (!bOk || nSize < 1 || nSize > kMaxSize)
        return false;
    desc.nSize = int(nSize);
    out = desc;
    return true;
}

std::wstring SFontDesc::ToString() const {
    std::wstring str = L"face:" + strFace + L",size:" + std::to_wstring(nSize);
    if (bBold)
        str += L",bold:1";
    if (bItalic)
        str += L",italic:1";
    if (bUnderline)
        str += L",underline:1";
    if (bStrike)
        str += L",strike:1";
    return str;
}

}  // namespace SOUI
