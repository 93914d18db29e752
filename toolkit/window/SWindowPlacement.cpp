#include "toolkit/window/SWindowPlacement.h"

#include <algorithm>

namespace SOUI {

namespace {

// The far edge first, then the near one: the near edge wins when the
// window is larger than the area.
int FitAxis(int nWanted, int nSize, int nAreaStart, int nAreaSize) {
    int nPos = std::min(nWanted, nAreaStart + nAreaSize - nSize);
    return std::max(nPos, nAreaStart);
}

}  // namespace

void FitIntoArea(const SPlaceRect& rcArea, int cx, int cy, int& x, int& y) {
    if (rcArea.cx <= 0 || rcArea.cy <= 0)
        return;  // no area known: leave the position alone
    x = FitAxis(x, cx, rcArea.x, rcArea.cx);
    y = FitAxis(y, cy, rcArea.y, rcArea.cy);
}

void CenterInArea(const SPlaceRect& rcOver, const SPlaceRect& rcArea, int cx, int cy, int& x,
                  int& y) {
    x = rcOver.x + (rcOver.cx - cx) / 2;
    y = rcOver.y + (rcOver.cy - cy) / 2;
    FitIntoArea(rcArea, cx, cy, x, y);
}

}  // namespace SOUI
