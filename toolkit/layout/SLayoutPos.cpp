#include "toolkit/layout/SLayoutPos.h"

#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {
// A signed decimal of at most 6 digits; layouts have no use for more and
// larger values would overflow the geometry.
bool ParsePosNumber(const std::wstring& str, size_t nPos, int& nValue, bool& bNegative) {
    bNegative = false;
    if (nPos < str.size() && (str[nPos] == L'-' || str[nPos] == L'+')) {
        bNegative = str[nPos] == L'-';
        ++nPos;
    }
    if (nPos >= str.size() || str.size() - nPos > 6) {
        return false;
    }
    int n = 0;
    for (; nPos < str.size(); ++nPos) {
        if (str[nPos] < L'0' || str[nPos] > L'9') {
            return false;
        }
        n = n * 10 + (str[nPos] - L'0');
    }
    nValue = bNegative ? -n : n;
    return true;
}
}  // namespace

bool ParsePosItem(const std::wstring& strRaw, PosItem& item) {
    std::wstring str(TrimBlanks(strRaw));
    if (str.empty()) {
        return false;
    }
    PosRef ref = PosRef::Start;
    size_t nStart = 0;
    switch (str[0]) {
        case L'|':
            ref = PosRef::Center;
            nStart = 1;
            break;
        case L'[':
            ref = PosRef::PrevEnd;
            nStart = 1;
            break;
        case L'{':
            ref = PosRef::PrevStart;
            nStart = 1;
            break;
        case L'@':
            ref = PosRef::Size;
            nStart = 1;
            break;
        default:
            break;
    }
    int nValue = 0;
    bool bNegative = false;
    if (!ParsePosNumber(str, nStart, nValue, bNegative)) {
        return false;
    }
    if (ref == PosRef::Start && bNegative) {
        // "-0" is the parent's far edge, hence the sign test, not the value.
        ref = PosRef::End;
        nValue = -nValue;
    }
    if (ref == PosRef::Size && nValue < -1) {
        return false;
    }
    item.ref = ref;
    item.nValue = nValue;
    return true;
}

bool SLayoutPos::Parse(const std::wstring& strPos) {
    SLayoutPos pos;
    std::wstring str(TrimBlanks(strPos));
    size_t nBegin = 0;
    while (true) {
        size_t nComma = str.find(L',', nBegin);
        std::wstring strItem =
            str.substr(nBegin, nComma == std::wstring::npos ? std::wstring::npos : nComma - nBegin);
        if (pos.nCount == 4 || !ParsePosItem(strItem, pos.items[pos.nCount])) {
            *this = SLayoutPos();
            return false;
        }
        ++pos.nCount;
        if (nComma == std::wstring::npos) {
            break;
        }
        nBegin = nComma + 1;
    }
    if (pos.nCount != 2 && pos.nCount != 4) {
        *this = SLayoutPos();
        return false;
    }
    // A point cannot be a size.
    if (pos.nCount == 2 && (pos.items[0].ref == PosRef::Size || pos.items[1].ref == PosRef::Size)) {
        *this = SLayoutPos();
        return false;
    }
    *this = pos;
    return true;
}

std::wstring SLayoutPos::ToString() const {
    std::wstring str;
    for (int i = 0; i < nCount; ++i) {
        if (i) {
            str += L',';
        }
        const PosItem& it = items[i];
        switch (it.ref) {
            case PosRef::Start:
                str += std::to_wstring(it.nValue);
                break;
            case PosRef::End:
                str += L"-" + std::to_wstring(it.nValue);
                break;
            case PosRef::Center:
                str += L"|" + std::to_wstring(it.nValue);
                break;
            case PosRef::PrevEnd:
                str += L"[" + std::to_wstring(it.nValue);
                break;
            case PosRef::PrevStart:
                str += L"{" + std::to_wstring(it.nValue);
                break;
            case PosRef::Size:
                str += L"@" + std::to_wstring(it.nValue);
                break;
        }
    }
    return str;
}

}  // namespace SOUI
