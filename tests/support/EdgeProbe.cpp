#include "support/EdgeProbe.h"

#include <algorithm>
#include <cstdlib>

namespace testsupport {

namespace {

int Distance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16})
        d = std::max(d, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    return d;
}

}  // namespace

int SoftEdgeWidth(const std::vector<uint32_t>& pixels) {
    if (pixels.size() < 2)
        return 0;
    const uint32_t from = pixels.front(), to = pixels.back();
    const int nLimit = Distance(from, to) / 10;
    return int(std::count_if(pixels.begin(), pixels.end(), [&](uint32_t px) {
        return Distance(px, from) > nLimit && Distance(px, to) > nLimit;
    }));
}

}  // namespace testsupport
