#include "platform/ProfileText.h"

#include <glib.h>

#include "platform/TextConvert.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Lone surrogates keep their unit's value, so the writer gives them back.
std::wstring DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian) {
    std::wstring out;
    auto unit = [&](size_t i) -> uint32_t {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    };
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(
                    static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

void EncodeUtf16(const std::wstring& text, bool bigEndian, std::string& out) {
    auto put = [&](uint32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    };
    for (wchar_t wc : text) {
        uint32_t c = static_cast<uint32_t>(wc);
        if (c > 0x10FFFF)
            c = kReplacement;
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
}

}  // namespace

CProfileText CProfileText::Decode(const std::string& bytes) {
    CProfileText result;
    std::wstring text;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        result.m_encoding = Encoding::Utf8Bom;
        text = AnsiToWide(bytes.substr(3));
    } else if (bytes.starts_with("\xFF\xFE")) {
        result.m_encoding = Encoding::Utf16Le;
        text = DecodeUtf16(bytes, 2, false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        result.m_encoding = Encoding::Utf16Be;
        text = DecodeUtf16(bytes, 2, true);
    } else {
        text = AnsiToWide(bytes);
    }
    CProfileText lines = FromText(text, result.m_encoding);
    const bool bUtf16 =
        result.m_encoding == Encoding::Utf16Le || result.m_encoding == Encoding::Utf16Be;
    if (bUtf16 && bytes.size() % 2 != 0)
        lines.m_strOddByte = bytes.substr(bytes.size() - 1);
    return lines;
}

CProfileText CProfileText::FromText(const std::wstring& text, Encoding encoding) {
    CProfileText result;
    result.m_encoding = encoding;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        Line line;
        if (end == std::wstring::npos) {
            line.strText = text.substr(pos);
            pos = text.size();
        } else {
            line.strText = text.substr(pos, end - pos);
            size_t endLength =
                (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1;
            line.strEnd = text.substr(end, endLength);
            pos = end + endLength;
        }
        result.m_vecLines.push_back(std::move(line));
    }
    return result;
}

std::string CProfileText::Encode() const {
    std::wstring text;
    for (const Line& line : m_vecLines)
        text += line.strText + line.strEnd;
    std::string out;
    switch (m_encoding) {
        case Encoding::Utf8:
            return WideToAnsi(text);
        case Encoding::Utf8Bom:
            return "\xEF\xBB\xBF" + WideToAnsi(text);
        case Encoding::Utf16Le:
            out = "\xFF\xFE";
            EncodeUtf16(text, false, out);
            return out + m_strOddByte;
        case Encoding::Utf16Be:
            out = "\xFE\xFF";
            EncodeUtf16(text, true, out);
            return out + m_strOddByte;
    }
    return out;
}

std::wstring CProfileText::PreferredLineEnd() const {
    for (const Line& line : m_vecLines)
        if (!line.strEnd.empty())
            return line.strEnd;
    return L"\n";
}

std::wstring TrimProfileBlanks(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool ProfileNamesEqual(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        if (g_unichar_tolower(static_cast<gunichar>(a[i])) !=
            g_unichar_tolower(static_cast<gunichar>(b[i])))
            return false;
    }
    return true;
}

bool ParseProfileHeader(const std::wstring& trimmedLine, std::wstring& name) {
    if (trimmedLine.empty() || trimmedLine[0] != L'[')
        return false;
    size_t close = trimmedLine.find(L']');
    if (close == std::wstring::npos)
        return false;
    name = TrimProfileBlanks(trimmedLine.substr(1, close - 1));
    return true;
}

bool ParseProfileEntry(const std::wstring& trimmedLine, std::wstring& key, std::wstring& value) {
    if (trimmedLine.empty() || trimmedLine[0] == L';')
        return false;
    size_t equals = trimmedLine.find(L'=');
    if (equals == std::wstring::npos)
        return false;
    key = TrimProfileBlanks(trimmedLine.substr(0, equals));
    if (key.empty())
        return false;
    value = TrimProfileBlanks(trimmedLine.substr(equals + 1));
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return true;
}

std::wstring FormatProfileEntry(const std::wstring& key, const std::wstring& value) {
    const bool bTrimmed = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool bQuoted =
        value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
    const std::wstring strKey = TrimProfileBlanks(key) + L"=";
    return bTrimmed || bQuoted ? strKey + L"\"" + value + L"\"" : strKey + value;
}
