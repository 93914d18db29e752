// Colours of layouts and skins: "#rrggbb[aa]", "rgb(...)", "rgba(...)".
#include <cstdio>

#include "fuzz/FuzzSupport.h"
#include "toolkit/render/SColor.h"
#include "toolkit/render/SStrUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::wstring str = SOUI::Utf8ToWide(FuzzBytes(pData, nSize));
    const SOUI::SColor untouched(1, 2, 3, 4);
    SOUI::SColor cr = untouched;
    if (!SOUI::SColor::Parse(str, cr)) {
        FUZZ_CHECK(cr == untouched);
        return 0;
    }
    // What was read is what the other spellings of it read.
    wchar_t szHex[16];
    std::swprintf(szHex, 16, L"#%08x", cr.ToRGBA());
    wchar_t szRgba[64];
    std::swprintf(szRgba, 64, L"rgba(%d,%d,%d,%d)", cr.r, cr.g, cr.b, cr.a);
    for (const wchar_t* pszOther : {szHex, szRgba}) {
        SOUI::SColor other;
        FUZZ_CHECK(SOUI::SColor::Parse(pszOther, other) && other == cr);
    }
    return 0;
}
