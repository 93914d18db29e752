// Resource references of layouts and skins: "TYPE:name".
#include "fuzz/FuzzSupport.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/res/SResID.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::wstring str = SOUI::Utf8ToWide(FuzzBytes(pData, nSize));
    const SOUI::SResID id = SOUI::SResID::Parse(str);
    // The type ends at the first colon; the name keeps every later one.
    FUZZ_CHECK(id.strType.find(L':') == std::wstring::npos);
    if (str.find(L':') == std::wstring::npos) {
        FUZZ_CHECK(id.strType.empty() && id.strName == str);
    } else {
        FUZZ_CHECK(id.strType + L":" + id.strName == str);
    }
    return 0;
}
