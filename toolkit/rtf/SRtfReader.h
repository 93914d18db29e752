#pragma once
// Reads rich text (RTF) into paragraphs of styled runs: groups, control
// words, \'hh bytes in the document's ANSI code page (936 by default),
// \uN with its fallback skipped, bold, italic, underline and font sizes.
// Tables, pictures, fields and other destinations are left out.
#include <string>
#include <string_view>
#include <vector>

namespace SOUI {

struct SRtfRun {
    std::wstring strText;
    bool bBold = false;
    bool bItalic = false;
    bool bUnderline = false;
    int nHalfPoints = 24;  // \fsN
    bool operator==(const SRtfRun&) const = default;
};

struct SRtfParagraph {
    std::vector<SRtfRun> runs;
    int nAlign = 0;  // 0 left, 1 centre, 2 right, 3 justified
    std::wstring GetText() const;
};

struct SRtfDocument {
    std::vector<SRtfParagraph> paragraphs;
    int nCodePage = 936;
    std::wstring GetText() const;  // paragraphs joined by '\n'
};

class SRtfReader {
public:
    // Deeper nesting than this is malformed input, not a document.
    static constexpr int kMaxDepth = 512;

    // False (with a log line) when the text is not RTF ("{\rtf" missing) or
    // nests too deep; what was read up to a fault is kept in doc either way.
    static bool Read(std::string_view strRtf, SRtfDocument& doc);
};

}  // namespace SOUI
