#include "http/CResponseHeaders.h"

#include <strings.h>

#include <cctype>
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
    } else if (HeaderValue(line, "Last-Modified", value)) {
        m_strLastModified = value;
    } else if (HeaderValue(line, "Content-Range", value)) {
        // "bytes <first>-<last>/<size>"
        if (strncasecmp(value.c_str(), "bytes ", 6) == 0) {
            char* pEnd = nullptr;
            long long nFirst = std::strtoll(value.c_str() + 6, &pEnd, 10);
            if (pEnd != value.c_str() + 6 && *pEnd == '-' && nFirst >= 0)
                m_nRangeStart = nFirst;
        }
    }
}

std::string CResponseHeaders::IfRangeValue() const {
    return m_strStrongETag.empty() ? m_strLastModified : m_strStrongETag;
}
