#include "toolkit/render/SColor.h"

#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {

int HexDigit(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

bool ParseHex(std::wstring_view hex, SColor& out) {
    if (hex.size() != 6 && hex.size() != 8)
        return false;
    uint8_t parts[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        parts[i / 2] = uint8_t(hi * 16 + lo);
    }
    out = SColor(parts[0], parts[1], parts[2], parts[3]);
    return true;
}

// "r,g,b" or "r,g,b,a" inside the parentheses.
bool ParseComponents(std::wstring_view list, size_t nWanted, SColor& out) {
    uint8_t parts[4] = {0, 0, 0, 255};
    size_t n = 0;
    while (true) {
        size_t comma = list.find(L',');
        std::wstring_view item = list.substr(0, comma);
        int v = 0;
        if (n >= nWanted || !ParseInt(item, v) || v < 0 || v > 255)
            return false;
        parts[n++] = uint8_t(v);
        if (comma == std::wstring_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    if (n != nWanted)
        return false;
    out = SColor(parts[0], parts[1], parts[2], parts[3]);
    return true;
}

}  // namespace

bool SColor::Parse(std::wstring_view str, SColor& out) {
    str = TrimBlanks(str);
    if (str.empty())
        return false;
    if (str[0] == L'#')
        return ParseHex(str.substr(1), out);
    std::wstring lower = ToLowerAscii(str);
    std::wstring_view view(lower);
    size_t nWanted = 0;
    if (view.starts_with(L"rgba(")) {
        nWanted = 4;
        view.remove_prefix(5);
    } else if (view.starts_with(L"rgb(")) {
        nWanted = 3;
        view.remove_prefix(4);
    } else {
        return false;
    }
    if (!view.ends_with(L')'))
        return false;
    view.remove_suffix(1);
    return ParseComponents(view, nWanted, out);
}

}  // namespace SOUI
