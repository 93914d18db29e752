#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What one answer's header lines say about resuming a download. Fed every
// header line libcurl sees; a status line starts a new answer (redirects
// and interim answers come before the one that carries the body).
class CResponseHeaders {
public:
    void OnHeaderLine(const char* pLine, size_t nBytes);

    // The server said it serves byte ranges of this resource.
    bool OffersRanges() const { return m_bRanges; }
    // What an If-Range request names the version by: the strong ETag, else
    // Last-Modified; empty when neither was sent (a range then is not safe).
    std::string IfRangeValue() const;
    // First byte of a partial answer (Content-Range), -1 when there is none.
    int64_t RangeStart() const { return m_nRangeStart; }

private:
    void Reset();

    bool m_bRanges = false;
    std::string m_strStrongETag;
    std::string m_strLastModified;
    int64_t m_nRangeStart = -1;
};
