// The rich-text reader of the licence dialog.
#include "fuzz/FuzzSupport.h"
#include "toolkit/rtf/SRtfReader.h"

namespace {

// A character a text layout can take: a Unicode scalar value that is not
// one of the two non-characters that mark byte order.
bool IsShowable(wchar_t ch) {
    auto c = static_cast<uint32_t>(ch);
    return c <= 0x10ffff && (c < 0xd800 || c > 0xdfff) && c != 0xfffe && c != 0xffff;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    SOUI::SRtfDocument doc;
    SOUI::SRtfReader::Read(FuzzBytes(pData, nSize), doc);
    FUZZ_CHECK(!doc.paragraphs.empty());
    for (const SOUI::SRtfParagraph& para : doc.paragraphs) {
        FUZZ_CHECK(para.nAlign >= 0 && para.nAlign <= 3);
        for (const SOUI::SRtfRun& run : para.runs) {
            FUZZ_CHECK(!run.strText.empty());
            FUZZ_CHECK(run.nHalfPoints > 0 && run.nHalfPoints <= 3276);
            for (wchar_t ch : run.strText) {
                FUZZ_CHECK(IsShowable(ch));
            }
        }
    }
    return 0;
}
