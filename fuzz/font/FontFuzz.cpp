// Font descriptions of layouts: "face:...,size:15,bold:1,adding:-2".
#include "fuzz/FuzzSupport.h"
#include "toolkit/render/SFontDesc.h"
#include "toolkit/render/SStrUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::wstring str = SOUI::Utf8ToWide(FuzzBytes(pData, nSize));
    SOUI::SFontDesc base;
    base.strFace = L"宋体";
    SOUI::SFontDesc out;
    if (!SOUI::SFontDesc::Parse(str, base, out)) {
        FUZZ_CHECK(out == SOUI::SFontDesc());
        return 0;
    }
    FUZZ_CHECK(out.nSize >= 1 && out.nSize <= SOUI::SFontDesc::kMaxSize);
    // The descriptor's own text describes the same font.
    SOUI::SFontDesc again;
    FUZZ_CHECK(SOUI::SFontDesc::Parse(out.ToString(), base, again));
    FUZZ_CHECK(again == out);
    return 0;
}
