#pragma once
#include <string>
#include <string_view>

namespace SOUI {

// What a font is made from. Sizes are in pixels (the layouts' "size:15").
struct SFontDesc {
    // Largest size in pixels a descriptor may give.
    static constexpr int kMaxSize = 1024;

    std::wstring strFace;
    int nSize = 15;
    bool bBold = false;
    bool bItalic = false;
    bool bUnderline = false;
    bool bStrike = false;

    bool operator==(const SFontDesc&) const = default;

    // Parses "face:微软雅黑,size:15,bold:1,underline:1,italic:1,strike:1" and
    // the relative form "adding:-2" (size relative to base). Every property
    // not named keeps base's value, so "size:20" keeps the default face.
    // Unknown keys are ignored; a malformed number or a size that ends up
    // outside 1..kMaxSize fails (false, out untouched).
    static bool Parse(std::wstring_view str, const SFontDesc& base, SFontDesc& out);
    std::wstring ToString() const;
};

}  // namespace SOUI
