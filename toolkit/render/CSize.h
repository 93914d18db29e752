#pragma once

namespace SOUI {

struct CSize {
    int cx = 0;
    int cy = 0;

    constexpr CSize() = default;
    constexpr CSize(int nCx, int nCy) : cx(nCx), cy(nCy) {}
    constexpr bool operator==(const CSize&) const = default;
};

}  // namespace SOUI
