#include "http/CResponseHeaders.h"

#include <curl/curl.h>
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// The value of "Name: value" when the line carries that name (any case).
bool HeaderValue(const std::string& line, const char* szName, std::string& value) {
    size_t nName = std::char_traits<char>::length(szName);
    if (line.size() <= nName || line[nName] != ':' || strncasecmp(line.c_str(), szName, nName) != 0)
        return false;
    value = Trim(line.substr(nName + 1));
    return true;
}

bool HasControlCharacter(const std::string& value) {
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// A whole non-negative decimal number, or -1.
int64_t ParseCount(const char* szText, const char** ppEnd) {
    if (!std::isdigit(static_cast<unsigned char>(*szText)))
        return -1;
    char* pEnd = nullptr;
    errno = 0;
    long long n = std::strtoll(szText, &pEnd, 10);
    if (errno != 0)
        return -1;
    *ppEnd = pEnd;
    return n;
}

}  // namespace

void CResponseHeaders::Reset() {
    *this = CResponseHeaders();
}

void CResponseHeaders::OnHeaderLine(const char* pLine, size_t nBytes) {
    std::string line(pLine, nBytes);
    if (line.compare(0, 5, "HTTP/") == 0) {
        Reset();
        return;
    }
    std::string value;
    if (HeaderValue(line, "Accept-Ranges", value)) {
        // "bytes" (any case); "none" says no.
        std::string lower = value;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        m_bRanges = lower.find("bytes") != std::string::npos;
    } else if (HeaderValue(line, "ETag", value)) {
        // A weak tag does not promise the same bytes.
        m_strStrongETag = value.compare(0, 2, "W/") == 0 ? std::string() : value;
        if (HasControlCharacter(m_strStrongETag)) {
            m_bUnsafeValidator = true;
            m_strStrongETag.clear();
        }
    } else if (HeaderValue(line, "Last-Modified", value)) {
        m_strLastModified = value;
        if (HasControlCharacter(value)) {
            m_bUnsafeValidator = true;
            m_strLastModified.clear();
        }
    } else if (HeaderValue(line, "Date", value)) {
        m_strDate = value;
    } else if (HeaderValue(line, "Content-Length", value)) {
        const char* pEnd = nullptr;
        const int64_t n = ParseCount(value.c_str(), &pEnd);
        m_nContentLength = n >= 0 && *pEnd == '\0' ? n : -1;
    } else if (HeaderValue(line, "Content-Range", value)) {
        // "bytes <first>-<last>/<size>"; the size may be "*" (unknown).
        m_nRangeStart = m_nRangeEnd = m_nRangeTotal = -1;
        if (strncasecmp(value.c_str(), "bytes ", 6) != 0)
            return;
        const char* p = nullptr;
        const int64_t nFirst = ParseCount(value.c_str() + 6, &p);
        if (nFirst < 0 || *p != '-')
            return;
        const int64_t nLast = ParseCount(p + 1, &p);
        if (nLast < nFirst || *p != '/')
            return;
        m_nRangeStart = nFirst;
        m_nRangeEnd = nLast;
        const int64_t nTotal = ParseCount(p + 1, &p);
        m_nRangeTotal = nTotal > nLast && *p == '\0' ? nTotal : -1;
    }
}

std::string CResponseHeaders::IfRangeValue() const {
    if (!m_strStrongETag.empty())
        return m_strStrongETag;
    if (m_strLastModified.empty() || m_strDate.empty())
        return std::string();
    const time_t tModified = curl_getdate(m_strLastModified.c_str(), nullptr);
    const time_t tDate = curl_getdate(m_strDate.c_str(), nullptr);
    if (tModified < 0 || tDate < 0 || tDate - tModified < 1)
        return std::string();
    return m_strLastModified;
}

bool CResponseHeaders::SameVersionAs(const CResponseHeaders& first) const {
    if (!first.m_strStrongETag.empty())
        return m_strStrongETag == first.m_strStrongETag;
    if (!first.IfRangeValue().empty())
        return m_strLastModified == first.m_strLastModified;
    return false;
}

int64_t CResponseHeaders::TotalLength() const {
    return m_nRangeStart >= 0 ? m_nRangeTotal : m_nContentLength;
}
