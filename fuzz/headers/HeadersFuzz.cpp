// The header lines of a download's answers, as a server sends them: what
// they say about resuming (validators, ranges, sizes).
#include "fuzz/FuzzSupport.h"
#include "http/CResponseHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string_view text = FuzzBytes(pData, nSize);
    CResponseHeaders first;
    CResponseHeaders* pAnswer = &first;
    CResponseHeaders second;
    // Lines as libcurl hands them over, LF included; an empty line starts
    // the second answer.
    while (!text.empty()) {
        const std::string line(FuzzTakeField(text, '\n'));
        if (line.empty()) {
            pAnswer = &second;
            continue;
        }
        const std::string withEnd = line + "\n";
        pAnswer->OnHeaderLine(withEnd.data(), withEnd.size());
    }
    for (const CResponseHeaders* p : {&first, &second}) {
        // Nothing that could end or split a request's header line is ever
        // offered to be sent back.
        for (unsigned char c : p->IfRangeValue())
            FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        // A range is within its resource whenever both are known.
        if (p->RangeStart() >= 0) {
            FUZZ_CHECK(p->RangeEnd() >= p->RangeStart());
            FUZZ_CHECK(p->TotalLength() < 0 || p->TotalLength() > p->RangeEnd());
        }
    }
    // An answer without a validator names no version, not even its own.
    if (first.IfRangeValue().empty())
        FUZZ_CHECK(!second.SameVersionAs(first));
    return 0;
}
