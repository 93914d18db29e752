// Text conversion between UTF-8 bytes and wide text: the toolkit's, for
// resources and layouts, and the platform's, for paths and settings.
#include <glib.h>

#include "fuzz/FuzzSupport.h"
#include "platform/TextConvert.h"
#include "toolkit/render/SStrUtil.h"

namespace {

bool IsScalar(wchar_t ch) {
    auto c = static_cast<uint32_t>(ch);
    return c <= 0x10ffff && (c < 0xd800 || c > 0xdfff);
}

// Valid UTF-8 apart from zero bytes, which both conversions carry through.
bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        std::string_view part = FuzzTakeField(bytes, '\0');
        if (!g_utf8_validate_len(part.data(), part.size(), nullptr)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string_view bytes = FuzzBytes(pData, nSize);
    const bool bUtf8 = IsUtf8(bytes);

    // Bytes to wide: characters only, at most one per byte; valid text
    // comes back byte for byte.
    const std::wstring wide = SOUI::Utf8ToWide(bytes);
    FUZZ_CHECK(wide.size() <= bytes.size());
    for (wchar_t ch : wide) {
        FUZZ_CHECK(IsScalar(ch));
    }
    const std::string back = SOUI::WideToUtf8(wide);
    FUZZ_CHECK(IsUtf8(back));
    if (bUtf8) {
        FUZZ_CHECK(back == bytes);
    }

    const std::string narrow(bytes);
    const std::wstring platformWide = AnsiToWide(narrow);
    if (bUtf8) {
        FUZZ_CHECK(platformWide == wide);
        FUZZ_CHECK(WideToAnsi(platformWide) == narrow);
        FUZZ_CHECK(AnsiToUtf8(narrow) == narrow);
    }

    // Wide to bytes from any code units: always valid UTF-8 for the toolkit.
    const std::wstring units = FuzzWideUnits(bytes);
    const std::string unitsUtf8 = SOUI::WideToUtf8(units);
    FUZZ_CHECK(IsUtf8(unitsUtf8));
    FUZZ_CHECK(SOUI::Utf8ToWide(unitsUtf8).size() == units.size());
    (void)WideToAnsi(units);
    return 0;
}
