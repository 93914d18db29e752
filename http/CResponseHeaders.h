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
    // a Last-Modified at least a second older than the answer's Date (a
    // newer one may name two versions written in the same second); empty
    // when there is neither, and a range then is not safe. Values with
    // control characters count as absent: they never go into a request.
    std::string IfRangeValue() const;
    // This answer carries the validator that `first` is named by above.
    bool SameVersionAs(const CResponseHeaders& first) const;
    // First and last byte of a partial answer (Content-Range), -1 when
    // there is none.
    int64_t RangeStart() const { return m_nRangeStart; }
    int64_t RangeEnd() const { return m_nRangeEnd; }
    // The size of the whole resource: a partial answer's Content-Range
    // total, else Content-Length; -1 when not known.
    int64_t TotalLength() const;
    // An ETag or Last-Modified was dropped for its control characters.
    bool HadUnsafeValidator() const { return m_bUnsafeValidator; }

private:
    void Reset();

    bool m_bRanges = false;
    bool m_bUnsafeValidator = false;
    std::string m_strStrongETag;
    std::string m_strLastModified;
    std::string m_strDate;
    int64_t m_nRangeStart = -1;
    int64_t m_nRangeEnd = -1;
    int64_t m_nRangeTotal = -1;
    int64_t m_nContentLength = -1;
};
