#pragma once
#include <string>
#include <vector>

// An INI file's text as lines, with what is needed to write it back the way
// it was: its encoding, its BOM, each line's own ending and every byte the
// decoding could not make sense of (bytes that are no UTF-8, lone UTF-16
// surrogates, an odd last byte), so untouched lines are written back
// byte for byte.
class CProfileText {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };
    struct Line {
        std::wstring strText;
        std::wstring strEnd;  // "\n", "\r\n", "\r" or "" for a last line without one
    };

    // Decodes file bytes losslessly (see TextConvert.h for UTF-8).
    static CProfileText Decode(const std::string& bytes);
    // Splits text at LF, CRLF and lone CR.
    static CProfileText FromText(const std::wstring& text, Encoding encoding = Encoding::Utf8);
    std::string Encode() const;

    // The ending new lines take: the file's first one, "\n" for a new file.
    std::wstring PreferredLineEnd() const;

    Encoding m_encoding = Encoding::Utf8;
    std::vector<Line> m_vecLines;
    std::string m_strOddByte;  // a UTF-16 file's odd last byte, written back last
};

// Blanks and tabs off both ends.
std::wstring TrimProfileBlanks(const std::wstring& text);
// Case-insensitive equality of two trimmed names.
bool ProfileNamesEqual(const std::wstring& a, const std::wstring& b);
// "[name]..." gives true and the trimmed name; a line without ']' is no header.
bool ParseProfileHeader(const std::wstring& trimmedLine, std::wstring& name);
// "key = value" gives true and the trimmed key and unquoted value; comments,
// lines without '=' and lines with an empty key give false.
bool ParseProfileEntry(const std::wstring& trimmedLine, std::wstring& key, std::wstring& value);
// "key=value" that ParseProfileEntry reads back as the trimmed key and
// exactly value: a value the reader would trim or unquote goes in quotes.
std::wstring FormatProfileEntry(const std::wstring& key, const std::wstring& value);
