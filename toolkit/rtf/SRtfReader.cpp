#include "toolkit/rtf/SRtfReader.h"

#include <glib.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {

// Control word parameters beyond this only need to be known as too large.
constexpr int64_t kParamCeiling = int64_t(1) << 40;

struct State {
    bool bBold = false;
    bool bItalic = false;
    bool bUnderline = false;
    int nHalfPoints = 24;
    int nUcSkip = 1;     // fallback characters after \uN
    bool bSkip = false;  // inside a destination that is not shown
    int nAlign = 0;
};

// Destinations whose content is never text of the document.
bool IsSkippedDestination(std::string_view word) {
    static const char* const kWords[] = {
        "fonttbl",       "colortbl",  "stylesheet", "info",      "pict",
        "header",        "footer",    "headerl",    "headerr",   "headerf",
        "footerl",       "footerr",   "footerf",    "listtable", "listoverridetable",
        "rsidtbl",       "generator", "xmlnstbl",   "themedata", "colorschememapping",
        "latentstyles",  "datastore", "filetbl",    "revtbl",    "object",
        "fldinst",       "pgdsctbl",  "operator",   "author",    "title",
        "company",       "bkmkstart", "bkmkend",    "template",  "mmathPr",
        "wgrffmtfilter", "pnseclvl",  "listtext"};
    for (const char* psz : kWords) {
        if (word == psz) {
            return true;
        }
    }
    return false;
}

class Parser {
public:
    Parser(std::string_view str, SRtfDocument& doc) : m_str(str), m_doc(doc) {}

    bool Run() {
        m_doc.paragraphs.assign(1, SRtfParagraph());
        size_t nPos = 0;
        while (nPos < m_str.size() && std::isspace(static_cast<unsigned char>(m_str[nPos]))) {
            ++nPos;
        }
        if (m_str.substr(nPos, 5) != "{\\rtf") {
            SLogA("SRtfReader::Read not rich text");
            return false;
        }
        m_nPos = nPos;
        bool bOk = Parse();
        FlushBytes();
        // A trailing empty paragraph (the document's last \par) is not a line.
        if (m_doc.paragraphs.size() > 1 && m_doc.paragraphs.back().runs.empty()) {
            m_doc.paragraphs.pop_back();
        }
        return bOk;
    }

private:
    bool Parse() {
        while (m_nPos < m_str.size()) {
            char ch = m_str[m_nPos];
            if (ch == '{') {
                FlushBytes();
                if (static_cast<int>(m_stack.size()) >= SRtfReader::kMaxDepth) {
                    SLogA("SRtfReader::Read groups nested deeper than %d", SRtfReader::kMaxDepth);
                    return false;
                }
                m_stack.push_back(m_state);
                m_bGroupStart = true;
                ++m_nPos;
                continue;
            }
            if (ch == '}') {
                FlushBytes();
                if (m_stack.empty()) {
                    // Text after the document's closing brace is ignored.
                    return true;
                }
                m_state = m_stack.back();
                m_stack.pop_back();
                m_bGroupStart = false;
                ++m_nPos;
                if (m_stack.empty()) {
                    return true;
                }
                continue;
            }
            if (ch == '\\') {
                ControlWord();
                m_bGroupStart = false;
                continue;
            }
            m_bGroupStart = false;
            ++m_nPos;
            if (ch == '\r' || ch == '\n') {
                continue;
            }
            if (m_nSkipChars > 0) {
                --m_nSkipChars;
                continue;
            }
            if (static_cast<unsigned char>(ch) >= 0x80) {
                m_bytes.push_back(ch);
            } else {
                FlushBytes();
                AddChar(static_cast<wchar_t>(ch));
            }
        }
        if (!m_stack.empty()) {
            SLogA("SRtfReader::Read %zu groups not closed", m_stack.size());
        }
        return true;
    }

    void ControlWord() {
        ++m_nPos;  // the backslash
        if (m_nPos >= m_str.size()) {
            return;
        }
        char ch = m_str[m_nPos];
        if (!std::isalpha(static_cast<unsigned char>(ch))) {
            ++m_nPos;
            ControlSymbol(ch);
            return;
        }
        size_t nStart = m_nPos;
        while (m_nPos < m_str.size() && std::isalpha(static_cast<unsigned char>(m_str[m_nPos])) &&
               m_nPos - nStart < 32) {
            ++m_nPos;
        }
        std::string_view word = m_str.substr(nStart, m_nPos - nStart);
        bool bHasParam = false;
        bool bNegative = false;
        int64_t nParam = 0;
        if (m_nPos < m_str.size() && m_str[m_nPos] == '-') {
            bNegative = true;
            ++m_nPos;
        }
        while (m_nPos < m_str.size() && std::isdigit(static_cast<unsigned char>(m_str[m_nPos]))) {
            // Past any int the value only needs to stay out of range.
            if (nParam <= kParamCeiling) {
                nParam = nParam * 10 + (m_str[m_nPos] - '0');
            }
            ++m_nPos;
            bHasParam = true;
        }
        if (bNegative) {
            nParam = -nParam;
        }
        if (m_nPos < m_str.size() && m_str[m_nPos] == ' ') {
            ++m_nPos;  // the delimiter belongs to the word
        }
        Apply(word, bHasParam, nParam);
    }

    void ControlSymbol(char ch) {
        switch (ch) {
            case '\'': {
                if (m_nPos + 2 > m_str.size()) {
                    m_nPos = m_str.size();
                    return;
                }
                char szHex[3] = {m_str[m_nPos], m_str[m_nPos + 1], 0};
                m_nPos += 2;
                char* pEnd = nullptr;
                long n = std::strtol(szHex, &pEnd, 16);
                if (pEnd != szHex + 2) {
                    return;
                }
                if (m_nSkipChars > 0) {
                    --m_nSkipChars;
                    return;
                }
                m_bytes.push_back(static_cast<char>(n));
                return;
            }
            case '*':
                // An ignorable destination: skip the group it opens.
                if (m_bGroupStart) {
                    m_state.bSkip = true;
                }
                return;
            case '\\':
            case '{':
            case '}':
                FlushBytes();
                AddChar(static_cast<wchar_t>(ch));
                return;
            case '~':
                FlushBytes();
                AddChar(L'\u00a0');
                return;
            case '_':
                FlushBytes();
                AddChar(L'\u2011');
                return;
            case '\r':
            case '\n':
                FlushBytes();
                NewParagraph();
                return;
            default:
                return;  // \- optional hyphen and the like
        }
    }

    void Apply(std::string_view word, bool bHasParam, int64_t nParam) {
        if (word != "u") {
            FlushBytes();
        }
        bool bStart = m_bGroupStart;
        m_bGroupStart = false;
        if (bStart && IsSkippedDestination(word)) {
            m_state.bSkip = true;
            return;
        }
        if (word == "par" || word == "sect") {
            NewParagraph();
        } else if (word == "line") {
            AddChar(L'\n');
        } else if (word == "tab") {
            AddChar(L'\t');
        } else if (word == "b") {
            m_state.bBold = !bHasParam || nParam != 0;
        } else if (word == "i") {
            m_state.bItalic = !bHasParam || nParam != 0;
        } else if (word == "ul") {
            m_state.bUnderline = !bHasParam || nParam != 0;
        } else if (word == "ulnone") {
            m_state.bUnderline = false;
        } else if (word == "fs") {
            if (bHasParam && nParam > 0 && nParam <= 3276) {
                m_state.nHalfPoints = static_cast<int>(nParam);
            }
        } else if (word == "plain") {
            m_state.bBold = m_state.bItalic = m_state.bUnderline = false;
            m_state.nHalfPoints = 24;
        } else if (word == "pard") {
            m_state.nAlign = 0;
        } else if (word == "qc") {
            m_state.nAlign = 1;
        } else if (word == "qr") {
            m_state.nAlign = 2;
        } else if (word == "qj") {
            m_state.nAlign = 3;
        } else if (word == "ql") {
            m_state.nAlign = 0;
        } else if (word == "uc") {
            if (bHasParam && nParam >= 0 && nParam < 16) {
                m_state.nUcSkip = static_cast<int>(nParam);
            }
        } else if (word == "u") {
            // A signed 16-bit code unit. One that names no character is
            // ignored, and its fallback text is shown instead.
            const int64_t nUnit = nParam < 0 ? nParam + 65536 : nParam;
            if (bHasParam && nParam >= -32768 && nUnit > 0 && nUnit < 0xfffe) {
                FlushBytes();
                AddUnicode(static_cast<int>(nUnit));
                m_nSkipChars = m_state.nUcSkip;
            }
        } else if (word == "ansicpg") {
            if (bHasParam && nParam > 0 && nParam <= 65535) {
                m_doc.nCodePage = static_cast<int>(nParam);
            }
        } else if (word == "emdash") {
            AddChar(L'\u2014');
        } else if (word == "endash") {
            AddChar(L'\u2013');
        } else if (word == "bullet") {
            AddChar(L'\u2022');
        } else if (word == "lquote") {
            AddChar(L'\u2018');
        } else if (word == "rquote") {
            AddChar(L'\u2019');
        } else if (word == "ldblquote") {
            AddChar(L'\u201c');
        } else if (word == "rdblquote") {
            AddChar(L'\u201d');
        }
    }

    // UTF-16 surrogates from \uN pairs are joined into one character.
    void AddUnicode(int nCode) {
        if (nCode >= 0xd800 && nCode <= 0xdbff) {
            m_nHighSurrogate = nCode;
            return;
        }
        if (nCode >= 0xdc00 && nCode <= 0xdfff) {
            if (m_nHighSurrogate) {
                AddChar(static_cast<wchar_t>(0x10000 + ((m_nHighSurrogate - 0xd800) << 10) +
                                             (nCode - 0xdc00)));
            }
            m_nHighSurrogate = 0;
            return;
        }
        m_nHighSurrogate = 0;
        AddChar(static_cast<wchar_t>(nCode));
    }

    // Code-page bytes collected from \'hh and raw high bytes, converted once
    // complete so double-byte characters stay whole.
    void FlushBytes() {
        if (m_bytes.empty()) {
            return;
        }
        std::string strBytes;
        strBytes.swap(m_bytes);
        if (m_state.bSkip) {
            return;
        }
        std::string strCharset = "CP" + std::to_string(m_doc.nCodePage);
        if (m_doc.nCodePage == 936) {
            strCharset = "GBK";
        } else if (m_doc.nCodePage == 1252) {
            strCharset = "WINDOWS-1252";
        }
        std::string strUtf8;
        if (!DecodeCodePage(strBytes, strCharset.c_str(), strUtf8)) {
            SLogA("SRtfReader::Read cannot convert from %s", strCharset.c_str());
            return;
        }
        for (wchar_t ch : Utf8ToWide(strUtf8)) {
            AddChar(ch);
        }
    }

    // Code-page bytes to UTF-8. A byte that starts no character of the code
    // page becomes U+FFFD, so one bad byte does not cost the whole run.
    static bool DecodeCodePage(const std::string& strBytes, const char* pszCharset,
                               std::string& strUtf8) {
        GIConv cd = g_iconv_open("UTF-8", pszCharset);
        if (cd == reinterpret_cast<GIConv>(-1)) {
            return false;
        }
        gchar* pIn = const_cast<gchar*>(strBytes.data());
        gsize nIn = strBytes.size();
        while (nIn > 0) {
            gchar buf[256];
            gchar* pOut = buf;
            gsize nOut = sizeof buf;
            gsize nRet = g_iconv(cd, &pIn, &nIn, &pOut, &nOut);
            strUtf8.append(buf, static_cast<size_t>(pOut - buf));
            if (nRet == static_cast<gsize>(-1) && errno != E2BIG) {
                // EILSEQ, or EINVAL for a character cut off at the end.
                strUtf8 += "\xEF\xBF\xBD";
                ++pIn;
                --nIn;
                g_iconv(cd, nullptr, nullptr, nullptr, nullptr);
            }
        }
        g_iconv_close(cd);
        return true;
    }

    void AddChar(wchar_t ch) {
        if (m_state.bSkip) {
            return;
        }
        SRtfParagraph& para = m_doc.paragraphs.back();
        para.nAlign = m_state.nAlign;
        if (para.runs.empty() || para.runs.back().bBold != m_state.bBold ||
            para.runs.back().bItalic != m_state.bItalic ||
            para.runs.back().bUnderline != m_state.bUnderline ||
            para.runs.back().nHalfPoints != m_state.nHalfPoints) {
            SRtfRun run;
            run.bBold = m_state.bBold;
            run.bItalic = m_state.bItalic;
            run.bUnderline = m_state.bUnderline;
            run.nHalfPoints = m_state.nHalfPoints;
            para.runs.push_back(run);
        }
        para.runs.back().strText += ch;
    }

    void NewParagraph() {
        if (m_state.bSkip) {
            return;
        }
        m_doc.paragraphs.back().nAlign = m_state.nAlign;
        m_doc.paragraphs.emplace_back();
    }

    std::string_view m_str;
    SRtfDocument& m_doc;
    size_t m_nPos = 0;
    State m_state;
    std::vector<State> m_stack;
    std::string m_bytes;
    int m_nSkipChars = 0;
    int m_nHighSurrogate = 0;
    bool m_bGroupStart = false;
};

}  // namespace

std::wstring SRtfParagraph::GetText() const {
    std::wstring str;
    for (const SRtfRun& run : runs) {
        str += run.strText;
    }
    return str;
}

std::wstring SRtfDocument::GetText() const {
    std::wstring str;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) {
            str += L'\n';
        }
        str += paragraphs[i].GetText();
    }
    return str;
}

bool SRtfReader::Read(std::string_view strRtf, SRtfDocument& doc) {
    doc = SRtfDocument();
    return Parser(strRtf, doc).Run();
}

}  // namespace SOUI
